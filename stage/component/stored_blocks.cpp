#include "stage/component/stored_blocks.h"

#include <algorithm>

#include "platform/byte_reader.h"

namespace stage {

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

// The blocks are read through the runtime's sticky reader: every field is read,
// and a block cut short anywhere shows once, in Ok().
std::optional<StageSettings> ParseStageBlock(std::span<const uint8_t> block) {
  StageSettings s;
  if (block.empty()) return s;
  platform::ByteReader r(block);
  const int32_t version = r.I32Le();
  if (!r.Ok() || version > kStageBlockVersion) return std::nullopt;
  s.border = r.I32Le();
  s.backColor = r.U32Le();
  s.picDrawMode = r.I32Le();
  if (version >= 2) {
    s.penStyle = r.I32Le();
    s.drawRop2 = r.I32Le();
    s.penWidth = r.I32Le();
    s.penColor = r.U32Le();
    s.brushStyle = r.I32Le();
    s.brushColor = r.U32Le();
    s.textColor = r.U32Le();
    s.textBackColor = r.U32Le();
    const auto font = r.LengthPrefixed();
    s.font.assign(font.begin(), font.end());
  }
  const auto pic = r.LengthPrefixed();
  s.pic.assign(pic.begin(), pic.end());
  if (!r.Ok()) return std::nullopt;
  ClampStageSettings(s);
  return s;
}

std::optional<TemplateSettings> ParseTemplateBlock(std::span<const uint8_t> block) {
  TemplateSettings t;
  if (block.empty()) return t;
  platform::ByteReader r(block);
  const int32_t version = r.I32Le();
  if (!r.Ok() || version > kTemplateBlockVersion) return std::nullopt;
  t.textColor = r.U32Le();
  t.autoGetTransColor = r.I32Le() != 0;
  t.transparentColor = r.U32Le();
  t.alpha = r.I32Le();
  t.zoom = r.I32Le();
  t.playGif = r.I32Le() != 0;
  t.gifDelay = r.I32Le();
  t.gifAutoDestroy = r.I32Le();
  t.trendColor = r.U32Le();
  t.trendDepth = r.I32Le();
  t.light = r.I32Le();
  t.layer = r.I32Le();
  t.angle = r.I32Le();
  t.rotateFollow = r.I32Le() != 0;
  t.existTime = r.I32Le();
  t.collideAllowed = r.I32Le() != 0;
  if (version >= 2) t.type = r.I32Le();
  if (version >= 3) t.turnType = r.I32Le();
  t.text = r.LengthPrefixedText();
  // A stored text may carry its terminator; the text ends at the first zero.
  t.text.resize(std::min(t.text.size(), t.text.find('\0')));
  for (auto* dst : {&t.font, &t.picture, &t.createSound, &t.destroySound, &t.collidedSound}) {
    const auto b = r.LengthPrefixed();
    dst->assign(b.begin(), b.end());
  }
  if (!r.Ok()) return std::nullopt;
  ClampTemplateSettings(t);
  return t;
}

std::vector<uint8_t> WriteStageBlock(const StageSettings& s) {
  platform::ByteWriter w;
  for (int32_t v : {int32_t(kStageBlockVersion), int32_t(s.border), int32_t(s.backColor),
                    int32_t(s.picDrawMode), int32_t(s.penStyle), int32_t(s.drawRop2),
                    int32_t(s.penWidth), int32_t(s.penColor), int32_t(s.brushStyle),
                    int32_t(s.brushColor), int32_t(s.textColor), int32_t(s.textBackColor)})
    w.I32Le(v);
  w.LengthPrefixed(s.font);
  w.LengthPrefixed(s.pic);
  return std::move(w.Data());
}

std::vector<uint8_t> WriteTemplateBlock(const TemplateSettings& t) {
  platform::ByteWriter w;
  for (int32_t v :
       {int32_t(kTemplateBlockVersion), int32_t(t.textColor), int32_t(t.autoGetTransColor),
        int32_t(t.transparentColor), int32_t(t.alpha), int32_t(t.zoom), int32_t(t.playGif),
        int32_t(t.gifDelay), int32_t(t.gifAutoDestroy), int32_t(t.trendColor),
        int32_t(t.trendDepth), int32_t(t.light), int32_t(t.layer), int32_t(t.angle),
        int32_t(t.rotateFollow), int32_t(t.existTime), int32_t(t.collideAllowed),
        int32_t(t.type), int32_t(t.turnType)})
    w.I32Le(v);
  w.LengthPrefixedText(t.text);
  for (const auto* b : {&t.font, &t.picture, &t.createSound, &t.destroySound, &t.collidedSound})
    w.LengthPrefixed(*b);
  return std::move(w.Data());
}

}  // namespace stage
