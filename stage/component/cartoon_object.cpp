#include "stage/component/cartoon_object.h"

#include <map>

#include "platform/window.h"
#include "runtime/forms/font_value.h"
#include "stage/pictures/resource_pool.h"
#include "stage/pictures/sprite_cache.h"

namespace stage {

namespace {

// The game swaps templates' pictures back and forth (the hero's swing sets each of its
// parts' pictures in turn on every swing): each file is decoded once, for all templates.
struct Decodes {
  SpriteCache cache{size_t(4) << 20};
  ResourcePool pool;
};
Decodes& TemplateDecodes() {
  static Decodes decodes;
  return decodes;
}

std::map<std::pair<uint32_t, uint32_t>, CartoonObject*>& Registry() {
  static std::map<std::pair<uint32_t, uint32_t>, CartoonObject*> r;
  return r;
}

}  // namespace

CartoonObject* CartoonObject::Find(uint32_t windowId, uint32_t componentId) {
  auto it = Registry().find({windowId, componentId});
  return it == Registry().end() ? nullptr : it->second;
}

std::unique_ptr<CartoonObject> CartoonObject::Create(const rt::CreateInfo& info) {
  auto settings = ParseTemplateBlock(info.ownBlock);
  if (!settings) return nullptr;
  auto t = std::make_unique<CartoonObject>(std::move(*settings));
  t->windowId_ = info.windowId;
  t->componentId_ = info.componentId;
  if (info.parent) {
    // A hidden window keeps the common properties (position, size, tag) working like
    // on every other window component; templates are never shown at run time.
    platform::CreateWindowParams p;
    p.parent = info.parent;
    p.rect = info.rect;
    p.style = platform::WS_CHILD;
    p.childId = info.childNumber;
    t->hwnd_ = platform::CreateWindow(p);
  }
  Registry()[{info.windowId, info.componentId}] = t.get();
  return t;
}

CartoonObject::CartoonObject(TemplateSettings settings) : s_(std::move(settings)) {
  ClampTemplateSettings(s_);
  Redecode();
}

CartoonObject::~CartoonObject() {
  auto it = Registry().find({windowId_, componentId_});
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (hwnd_ && platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
}

void CartoonObject::Redecode() {
  if (!s_.text.empty()) {
    platform::LogFont lf;
    const bool hasFont = platform::LogFontFromBytes(s_.font, lf);
    auto pic = RenderText(s_.text, hasFont ? &lf : nullptr, s_.textColor);
    decoded_ = pic ? MakeSprite(std::move(*pic)) : nullptr;
    return;
  }
  KeyRequest key;
  if (s_.autoGetTransColor) {
    key.mode = KeyRequest::Automatic;
  } else if (s_.transparentColor != kDefaultColour) {
    key.mode = KeyRequest::Colour;
    key.colour = s_.transparentColor;
  }
  decoded_ = s_.picture.empty() ? nullptr : DecodeSpriteCached(TemplateDecodes().cache, TemplateDecodes().pool, s_.picture, key);
}

ObjectTemplate CartoonObject::AsObjectTemplate() const {
  ObjectTemplate t;
  t.type = s_.type;
  t.text = s_.text;
  t.textColour = s_.textColor;
  t.font = s_.font;
  t.picture = decoded_;
  t.playing = s_.playGif;
  t.plays = s_.gifAutoDestroy;
  t.loopDelay = s_.gifDelay;
  t.trendColour = s_.trendColor;
  t.trendDepth = s_.trendDepth;
  t.light = s_.light;
  t.alpha = s_.alpha;
  t.zoom = s_.zoom;
  t.layer = s_.layer;
  t.angle = s_.angle;
  t.rotateFollow = s_.rotateFollow;
  t.turnType = s_.turnType;
  t.lifetime = s_.existTime;
  t.createSound = s_.createSound;
  t.destroySound = s_.destroySound;
  t.collidedSound = s_.collidedSound;
  t.collideAllowed = s_.collideAllowed;
  return t;
}

rt::PropValue CartoonObject::ReadProperty(int i) {
  rt::PropValue v;
  switch (i) {
    case kTplText: v.text = s_.text; break;
    case kTplFont: {
      v.font = rt::FontFromLogFont(platform::LogFontOrDefault(s_.font));
      v.hasFont = true;
      break;
    }
    case kTplTextColor: v.i = s_.textColor; break;
    case kTplPicture: v.bytes = s_.picture; break;
    case kTplAutoGetTransColor: v.i = s_.autoGetTransColor; break;
    case kTplTransparentColor: v.i = s_.transparentColor; break;
    case kTplPlayGIF: v.i = s_.playGif; break;
    case kTplGIFDelay: v.i = s_.gifDelay; break;
    case kTplGIFAutoDestroy: v.i = s_.gifAutoDestroy; break;
    case kTplTrendColor: v.i = s_.trendColor; break;
    case kTplTrendDepth: v.i = s_.trendDepth; break;
    case kTplLight: v.i = s_.light; break;
    case kTplAlpha: v.i = s_.alpha; break;
    case kTplZoom: v.i = s_.zoom; break;
    case kTplLayer: v.i = s_.layer; break;
    case kTplAngle: v.i = s_.angle; break;
    case kTplRotateFollow: v.i = s_.rotateFollow; break;
    case kTplTurnType: v.i = s_.turnType; break;
    case kTplExistTime: v.i = s_.existTime; break;
    case kTplCreateSound: v.bytes = s_.createSound; break;
    case kTplDestroySound: v.bytes = s_.destroySound; break;
    case kTplCollideAllowed: v.i = s_.collideAllowed; break;
    case kTplCollidedSound: v.bytes = s_.collidedSound; break;
    case kTplType: v.i = s_.type; break;
    default: break;
  }
  return v;
}

bool CartoonObject::WriteProperty(int i, const rt::PropValue& v) {
  const int n = int(v.i);
  bool redecode = false;
  switch (i) {
    case kTplText: s_.text = v.text; redecode = true; break;
    case kTplFont:
      s_.font = v.hasFont ? platform::LogFontToBytes(rt::LogFontFromFont(v.font))
                          : std::vector<uint8_t>{};
      redecode = true;
      break;
    case kTplTextColor:
      redecode = s_.textColor != uint32_t(v.i);
      s_.textColor = uint32_t(v.i);
      break;
    case kTplPicture: s_.picture = v.bytes; redecode = true; break;
    case kTplAutoGetTransColor: s_.autoGetTransColor = v.i != 0; redecode = true; break;
    case kTplTransparentColor: s_.transparentColor = uint32_t(v.i); redecode = true; break;
    case kTplPlayGIF: s_.playGif = v.i != 0; break;
    case kTplGIFDelay: s_.gifDelay = n; break;
    case kTplGIFAutoDestroy: s_.gifAutoDestroy = n; break;
    case kTplTrendColor: s_.trendColor = uint32_t(v.i); break;
    case kTplTrendDepth: s_.trendDepth = n; break;
    case kTplLight: s_.light = n; break;
    case kTplAlpha: s_.alpha = n; break;
    case kTplZoom: s_.zoom = n; break;
    case kTplLayer: s_.layer = n; break;
    case kTplAngle: s_.angle = n; break;
    case kTplRotateFollow: s_.rotateFollow = v.i != 0; break;
    case kTplTurnType: s_.turnType = n; break;
    case kTplExistTime: s_.existTime = n; break;
    case kTplCreateSound: s_.createSound = v.bytes; break;
    case kTplDestroySound: s_.destroySound = v.bytes; break;
    case kTplCollideAllowed: s_.collideAllowed = v.i != 0; break;
    case kTplCollidedSound: s_.collidedSound = v.bytes; break;
    case kTplType: s_.type = n; break;
    default: return false;
  }
  ClampTemplateSettings(s_);
  if (redecode) Redecode();
  return false;
}

}  // namespace stage
