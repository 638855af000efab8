// StageModel: the object list, creation and destruction, rendering and the setters and
// getters of object state.
#include <algorithm>

#include "stage/model/stage_model.h"

namespace stage {

namespace {

int NormaliseAngle(int a) { return ((a % 360) + 360) % 360; }

KeyRequest KeyFromArgument(int64_t key) {
  KeyRequest k;
  if (key == -1 || uint32_t(key) == kDefaultColour) return k;
  if (key == -2) {
    k.mode = KeyRequest::Automatic;
    return k;
  }
  k.mode = KeyRequest::Colour;
  k.colour = uint32_t(key);
  return k;
}

}  // namespace

platform::Rect StageObject::Bounds() const {
  if (!HasPicture()) return {};
  const int ix = IntX(), iy = IntY();
  return {ix, iy, ix + rendered->Width(), iy + rendered->Height()};
}

// ---- lookup and list order ----------------------------------------------------------------

const StageObject* StageModel::FindObject(int id) const {
  if (id <= 0) return nullptr;
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : it->second;
}

int StageModel::IndexOf(int id) const {
  for (size_t i = 0; i < list_.size(); ++i)
    if (list_[i]->id == id) return int(i);
  return -1;
}

std::vector<int> StageModel::ObjectIdsInOrder() const {
  std::vector<int> ids;
  for (const auto& o : list_) ids.push_back(o->id);
  return ids;
}

void StageModel::InsertByLayer(std::unique_ptr<StageObject> o) {
  // After every object whose layer is lower or equal: within a layer, the newest is on top.
  auto at = std::upper_bound(list_.begin(), list_.end(), o->layer,
                             [](int layer, const auto& other) { return layer < other->layer; });
  byId_[o->id] = o.get();
  list_.insert(at, std::move(o));
}

// ---- rendering --------------------------------------------------------------------------

void StageModel::Rerender(StageObject& o) {
  o.rendered.reset();
  if (!o.source || !o.source->Valid()) return;
  const bool rotate = o.rotateFollow && o.angle != 0;
  if (!rotate && o.trendDepth <= 0 && o.light == 0 && o.zoomX == 1000 && o.zoomY == 1000 &&
      o.turnType == 0) {
    o.rendered = o.source;
    return;
  }
  const bool zoom = (o.zoomX != 1000 || o.zoomY != 1000) && o.zoomX > 0 && o.zoomY > 0;
  RenderSettings settings;
  settings.turnType = o.turnType;
  if (rotate) settings.angle = o.angle;
  if (zoom) settings.zoomX = o.zoomX, settings.zoomY = o.zoomY;
  if (o.trendDepth > 0) settings.trendColour = o.trendColour, settings.trendDepth = std::min(o.trendDepth, 100);
  settings.light = o.light;
  const std::vector<uint8_t> key = RenderKey(*o.source, settings);
  if (SpritePtr hit = pictureCache_.Find(key)) {
    o.rendered = pool_.Intern(std::move(hit));
    return;
  }
  Picture p = o.source->picture;
  if (o.turnType != 0) FlipPicture(p, o.turnType);
  if (rotate) p = RotatePicture(p, o.angle);
  if (zoom) {
    auto zoomed = ZoomPicture(p, o.zoomX, o.zoomY);
    if (!zoomed) return;  // a dimension rounded to 0: no picture
    p = std::move(*zoomed);
  }
  if (o.trendDepth > 0) TintPicture(p, o.trendColour, settings.trendDepth);
  if (o.light != 0) BrightenPicture(p, o.light);
  o.rendered = pool_.InternPicture(std::move(p));
  pictureCache_.Store(key, o.rendered, o.source);
}

void StageModel::ClearPlayback(StageObject& o) {
  o.frameIndex = 0;
  o.frameStart = 0;
  o.playing = false;
  o.playsLeft = 0;
  o.loopDelay = 0;
  o.extraFrameDelay = 0;
  o.destroyWhenDone = false;
}

void StageModel::Clear() {
  list_.clear();
  byId_.clear();
  pool_.Clear();
  pictureCache_.Clear();
  nextId_ = 1;
}

void StageModel::Touch(const StageObject& o, bool force) {
  if (!o.visible && !force) return;
  if (!o.HasPicture()) return;
  Changed(o.Bounds());
}

void StageModel::ReleasePictures(StageObject& o) {
  o.rendered.reset();
  o.source.reset();
}

// ---- creation and destruction -------------------------------------------------------------

int StageModel::CreateObject(const ObjectTemplate* tmpl, double x, double y, bool visible,
                             const std::string& tag) {
  auto o = std::make_unique<StageObject>();
  o->id = nextId_++;
  o->x = x;
  o->y = y;
  o->visible = visible;
  o->tag = tag;
  BytesPtr createSound;
  if (tmpl) {
    const ObjectTemplate& t = *tmpl;
    o->type = t.type;
    o->text = t.text;
    o->textColour = t.textColour;
    if (t.font.size() == sizeof(platform::LogFont)) o->font = pool_.InternBytes(t.font);
    o->source = pool_.Intern(t.picture);
    o->playing = t.playing;
    o->playsLeft = t.plays;
    o->destroyWhenDone = t.plays >= 1;
    o->loopDelay = t.loopDelay;
    o->trendColour = t.trendColour;
    o->trendDepth = t.trendDepth;
    o->light = t.light;
    o->alpha = t.alpha;
    o->zoomX = o->zoomY = t.zoom;
    o->layer = t.layer;
    o->angle = NormaliseAngle(t.angle);
    o->rotateFollow = t.rotateFollow;
    o->turnType = t.turnType;
    o->destroySound = pool_.InternBytes(t.destroySound);
    o->collidedSound = pool_.InternBytes(t.collidedSound);
    o->collideAllowed = t.collideAllowed;
    Rerender(*o);
    if (t.lifetime > 0) o->expiry = listener_.Now() + uint32_t(t.lifetime);
    createSound = pool_.InternBytes(t.createSound);
  }
  const int id = o->id;
  StageObject& ref = *o;
  InsertByLayer(std::move(o));
  peakObjects_ = std::max(peakObjects_, list_.size());
  Touch(ref);
  PlaySound(createSound);
  return id;
}

MoveResult StageModel::DestroyObject(int id) {
  if (MoveResult r = Raise(kObjectDestroying, ObjectEvent{id}, id); r != kGoOn) return r;
  const int index = IndexOf(id);  // the handler may have reshaped the list
  if (index < 0) return kObjectGone;
  std::unique_ptr<StageObject> o = std::move(list_[size_t(index)]);
  list_.erase(list_.begin() + index);
  byId_.erase(id);
  Touch(*o);
  PlaySound(o->destroySound);
  listener_.Removed(id);
  return kObjectGone;
}

void StageModel::DestroyObjects(std::span<const int> ids) {
  const std::vector<int> copy(ids.begin(), ids.end());  // the span may live in our state
  for (int id : copy) {
    if (!FindObject(id)) continue;
    if (DestroyObject(id) == kStageGone) return;
  }
}

void StageModel::DestroyAllObjects() {
  while (!list_.empty()) {
    if (DestroyObject(list_.front()->id) == kStageGone) return;
  }
}

// ---- pictures and animation ----------------------------------------------------------------

void StageModel::SetObjectText(int id, const std::string& text, const platform::LogFont* font,
                               uint32_t textColour) {
  StageObject* o = Find(id);
  if (!o) return;
  Touch(*o);
  o->text = text;
  if (font) o->font = pool_.InternBytes(platform::LogFontToBytes(*font));
  if (textColour != kDefaultColour) o->textColour = textColour;
  ReleasePictures(*o);
  ClearPlayback(*o);
  if (text.empty()) return;
  platform::LogFont lf;
  const bool hasFont = o->font && platform::LogFontFromBytes(*o->font, lf);
  auto pic = RenderText(text, hasFont ? &lf : nullptr, o->textColour);
  if (!pic) return;
  o->source = pool_.InternPicture(std::move(*pic));
  Rerender(*o);
  Touch(*o);
}

void StageModel::SetObjectPicture(int id, std::span<const uint8_t> bytes, int64_t key) {
  StageObject* o = Find(id);
  if (!o) return;
  Touch(*o);
  ReleasePictures(*o);
  ClearPlayback(*o);
  if (bytes.empty()) return;
  o->source = DecodeSpriteCached(pictureCache_, pool_, bytes, KeyFromArgument(key));
  if (!o->source) return;
  Rerender(*o);
  Touch(*o);
}

void StageModel::SetTrend(int id, uint32_t trendColour, int depth) {
  StageObject* o = Find(id);
  if (!o) return;
  const uint32_t colour = trendColour == kDefaultColour ? o->trendColour : trendColour;
  if (colour == o->trendColour && depth == o->trendDepth) return;
  Touch(*o);
  o->trendColour = colour;
  o->trendDepth = depth;
  Rerender(*o);
  Touch(*o);
}

void StageModel::SetZoom(int id, int zoomX, std::optional<int> zoomY) {
  StageObject* o = Find(id);
  if (!o) return;
  const int zy = zoomY.value_or(zoomX);
  if (zoomX <= 0 || zy <= 0 || (zoomX == o->zoomX && zy == o->zoomY)) return;
  Touch(*o);
  o->zoomX = zoomX;
  o->zoomY = zy;
  Rerender(*o);
  Touch(*o);
}

int StageModel::GetZoom(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->zoomX : 1000;
}

void StageModel::SetTurnType(int id, int turnType) {
  StageObject* o = Find(id);
  if (!o) return;
  turnType = std::clamp(turnType, 0, 3);
  if (turnType == o->turnType) return;
  Touch(*o);
  o->turnType = turnType;
  Rerender(*o);
  Touch(*o);
}

int StageModel::GetTurnType(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->turnType : 0;
}

void StageModel::SetAngle(int id, int angle) {
  StageObject* o = Find(id);
  if (!o) return;
  angle = NormaliseAngle(angle);
  if (angle == o->angle) return;
  o->angle = angle;
  if (!o->rotateFollow || !o->HasPicture()) return;
  const int oldW = o->rendered->Width(), oldH = o->rendered->Height();
  Touch(*o);
  Rerender(*o);
  Touch(*o);
  if (!o->HasPicture()) return;
  // Keep the picture's centre where it was.
  const double nx = o->x + oldW / 2 - o->rendered->Width() / 2;
  const double ny = o->y + oldH / 2 - o->rendered->Height() / 2;
  MoveObject(id, nx, ny);
}

void StageModel::PlayAnimation(int id, int plays, bool destroyWhenDone, int extraFrameDelay,
                               int loopDelay) {
  StageObject* o = Find(id);
  if (!o) return;
  if (plays < 0) {
    o->playing = false;
    return;
  }
  o->playsLeft = plays;
  o->playing = true;
  o->destroyWhenDone = destroyWhenDone;
  o->extraFrameDelay = extraFrameDelay;
  o->loopDelay = loopDelay;
}

void StageModel::NextFrame(int id) {
  StageObject* o = Find(id);
  if (!o || !o->HasPicture() || o->rendered->FrameCount() <= 1) return;
  o->frameIndex = (ClampFrame(*o->rendered, o->frameIndex) + 1) % o->rendered->FrameCount();
  o->frameStart = 0;
  Touch(*o);
}

// ---- appearance ------------------------------------------------------------------------------

void StageModel::SetAlpha(int id, int alpha) {
  StageObject* o = Find(id);
  if (!o || o->alpha == alpha) return;
  o->alpha = alpha;
  Touch(*o);
}

int StageModel::GetAlpha(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->alpha : 0;
}

void StageModel::SetLayer(int id, int layer) {
  const int index = IndexOf(id);
  if (id <= 0 || index < 0 || list_[size_t(index)]->layer == layer) return;
  std::unique_ptr<StageObject> o = std::move(list_[size_t(index)]);
  list_.erase(list_.begin() + index);
  o->layer = layer;
  StageObject& ref = *o;
  InsertByLayer(std::move(o));
  Touch(ref);
}

int StageModel::GetLayer(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->layer : 0;
}

void StageModel::SetVisible(int id, bool visible) {
  StageObject* o = Find(id);
  if (!o || o->visible == visible) return;
  o->visible = visible;
  Touch(*o, true);
}

void StageModel::SetTypeValue(int id, int type) {
  if (StageObject* o = Find(id)) o->type = type;
}

void StageModel::SetTag(int id, const std::string& tag) {
  if (StageObject* o = Find(id)) o->tag = tag;
}

int StageModel::GetWidth(int id) const {
  const StageObject* o = FindObject(id);
  return o && o->HasPicture() ? o->rendered->Width() : 0;
}

int StageModel::GetHeight(int id) const {
  const StageObject* o = FindObject(id);
  return o && o->HasPicture() ? o->rendered->Height() : 0;
}

int StageModel::GetX(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->IntX() : 0;
}

int StageModel::GetY(int id) const {
  const StageObject* o = FindObject(id);
  return o ? o->IntY() : 0;
}

void StageModel::SetCollision(int id, bool allowed,
                              std::optional<std::span<const uint8_t>> sound) {
  StageObject* o = Find(id);
  if (!o) return;
  if (o->collideAllowed != allowed) {
    o->collideAllowed = allowed;
    o->lastCollided = 0;
  }
  if (sound) o->collidedSound = pool_.InternBytes(*sound);
}

}  // namespace stage
