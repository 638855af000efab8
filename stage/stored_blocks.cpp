#include "stage/stored_blocks.h"

#include <algorithm>

namespace stage {

std::optional<int32_t> BlockReader::Int() {
  if (data_.size() - pos_ < 4 || pos_ > data_.size()) return std::nullopt;
  const uint8_t* p = data_.data() + pos_;
  pos_ += 4;
  return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                 (uint32_t(p[3]) << 24));
}

std::optional<std::vector<uint8_t>> BlockReader::Block() {
  auto len = Int();
  if (!len || *len < 0 || size_t(*len) > data_.size() - pos_) return std::nullopt;
  std::vector<uint8_t> out(data_.begin() + ptrdiff_t(pos_), data_.begin() + ptrdiff_t(pos_) + *len);
  pos_ += size_t(*len);
  return out;
}

void BlockWriter::Int(int32_t v) {
  for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

void BlockWriter::Block(std::span<const uint8_t> bytes) {
  Int(int32_t(bytes.size()));
  out_.insert(out_.end(), bytes.begin(), bytes.end());
}

void ClampStageSettings(StageSettings& s) {
  s.border = std::clamp(s.border, 0, 5);
  s.picDrawMode = std::clamp(s.picDrawMode, 0, 3);
  s.penStyle = std::clamp(s.penStyle, 0, 6);
  s.drawRop2 = std::clamp(s.drawRop2, 0, 15);
  s.penWidth = std::clamp(s.penWidth, 0, 32767);
  s.brushStyle = std::clamp(s.brushStyle, 0, 55);
}

void ClampTemplateSettings(TemplateSettings& t) {
  t.gifDelay = std::max(t.gifDelay, 0);
  t.trendDepth = std::clamp(t.trendDepth, 0, 100);
  t.alpha = std::clamp(t.alpha, 0, 100);
  t.zoom = std::max(t.zoom, 0);
  t.angle = std::clamp(t.angle, -360, 360);
  t.turnType = std::clamp(t.turnType, 0, 3);
  t.existTime = std::max(t.existTime, 0);
}

// Reads ints into the fields in order; false as soon as one is missing.
#define TV_READ_INT(field, conv)    \
  do {                              \
    auto v_ = r.Int();              \
    if (!v_) return std::nullopt;   \
    (field) = conv(*v_);            \
  } while (0)

namespace {
int AsInt(int32_t v) { return v; }
uint32_t AsColour(int32_t v) { return uint32_t(v); }
bool AsBool(int32_t v) { return v != 0; }
}  // namespace

std::optional<StageSettings> ParseStageBlock(std::span<const uint8_t> block) {
  StageSettings s;
  if (block.empty()) return s;
  BlockReader r(block);
  auto version = r.Int();
  if (!version || *version > kStageBlockVersion) return std::nullopt;
  TV_READ_INT(s.border, AsInt);
  TV_READ_INT(s.backColor, AsColour);
  TV_READ_INT(s.picDrawMode, AsInt);
  if (*version >= 2) {
    TV_READ_INT(s.penStyle, AsInt);
    TV_READ_INT(s.drawRop2, AsInt);
    TV_READ_INT(s.penWidth, AsInt);
    TV_READ_INT(s.penColor, AsColour);
    TV_READ_INT(s.brushStyle, AsInt);
    TV_READ_INT(s.brushColor, AsColour);
    TV_READ_INT(s.textColor, AsColour);
    TV_READ_INT(s.textBackColor, AsColour);
    auto font = r.Block();
    if (!font) return std::nullopt;
    s.font = std::move(*font);
  }
  auto pic = r.Block();
  if (!pic) return std::nullopt;
  s.pic = std::move(*pic);
  ClampStageSettings(s);
  return s;
}

std::optional<TemplateSettings> ParseTemplateBlock(std::span<const uint8_t> block) {
  TemplateSettings t;
  if (block.empty()) return t;
  BlockReader r(block);
  auto version = r.Int();
  if (!version || *version > kTemplateBlockVersion) return std::nullopt;
  TV_READ_INT(t.textColor, AsColour);
  TV_READ_INT(t.autoGetTransColor, AsBool);
  TV_READ_INT(t.transparentColor, AsColour);
  TV_READ_INT(t.alpha, AsInt);
  TV_READ_INT(t.zoom, AsInt);
  TV_READ_INT(t.playGif, AsBool);
  TV_READ_INT(t.gifDelay, AsInt);
  TV_READ_INT(t.gifAutoDestroy, AsInt);
  TV_READ_INT(t.trendColor, AsColour);
  TV_READ_INT(t.trendDepth, AsInt);
  TV_READ_INT(t.light, AsInt);
  TV_READ_INT(t.layer, AsInt);
  TV_READ_INT(t.angle, AsInt);
  TV_READ_INT(t.rotateFollow, AsBool);
  TV_READ_INT(t.existTime, AsInt);
  TV_READ_INT(t.collideAllowed, AsBool);
  if (*version >= 2) TV_READ_INT(t.type, AsInt);
  if (*version >= 3) TV_READ_INT(t.turnType, AsInt);
  std::vector<uint8_t>* blocks[] = {nullptr, &t.font, &t.picture,
                                    &t.createSound, &t.destroySound, &t.collidedSound};
  for (auto* dst : blocks) {
    auto b = r.Block();
    if (!b) return std::nullopt;
    if (dst) {
      *dst = std::move(*b);
    } else {
      t.text.assign(b->begin(), b->end());
      // A stored text may carry its terminator; the text ends at the first zero.
      t.text.resize(std::min(t.text.size(), t.text.find('\0')));
    }
  }
  ClampTemplateSettings(t);
  return t;
}

#undef TV_READ_INT

std::vector<uint8_t> WriteStageBlock(const StageSettings& s) {
  BlockWriter w;
  for (int32_t v : {int32_t(kStageBlockVersion), int32_t(s.border), int32_t(s.backColor),
                    int32_t(s.picDrawMode), int32_t(s.penStyle), int32_t(s.drawRop2),
                    int32_t(s.penWidth), int32_t(s.penColor), int32_t(s.brushStyle),
                    int32_t(s.brushColor), int32_t(s.textColor), int32_t(s.textBackColor)})
    w.Int(v);
  w.Block(s.font);
  w.Block(s.pic);
  return w.Take();
}

std::vector<uint8_t> WriteTemplateBlock(const TemplateSettings& t) {
  BlockWriter w;
  for (int32_t v :
       {int32_t(kTemplateBlockVersion), int32_t(t.textColor), int32_t(t.autoGetTransColor),
        int32_t(t.transparentColor), int32_t(t.alpha), int32_t(t.zoom), int32_t(t.playGif),
        int32_t(t.gifDelay), int32_t(t.gifAutoDestroy), int32_t(t.trendColor),
        int32_t(t.trendDepth), int32_t(t.light), int32_t(t.layer), int32_t(t.angle),
        int32_t(t.rotateFollow), int32_t(t.existTime), int32_t(t.collideAllowed),
        int32_t(t.type), int32_t(t.turnType)})
    w.Int(v);
  w.Block(std::span(reinterpret_cast<const uint8_t*>(t.text.data()), t.text.size()));
  for (const auto* b : {&t.font, &t.picture, &t.createSound, &t.destroySound, &t.collidedSound})
    w.Block(*b);
  return w.Take();
}

}  // namespace stage
