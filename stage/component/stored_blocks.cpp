#include "stage/component/stored_blocks.h"

#include <algorithm>

#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"
#include "stage/model/stage_events.h"

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

const rt::FieldTable<StageSettings>& StageFields() {
  using K = rt::FieldKind;
  using S = StageSettings;
  static const rt::FieldTable<S> table(
      {"CartoonBox", kCartoonBoxType, kStageBlockVersion, rt::kUnitVisible, rt::CutShort::Refused},
      {{"border", K::Int, kStBorder, rt::kPropChoice, &S::border},
       {"BackColor", K::Colour, kStBackColor, rt::kPropColour, &S::backColor},
       {"PicDrawMode", K::Int, kStPicDrawMode, rt::kPropChoice, &S::picDrawMode},
       {"PenStyle", K::Int, kStPenStyle, rt::kPropChoice, &S::penStyle, 2},
       {"DrawRop2", K::Int, kStDrawRop2, rt::kPropChoice, &S::drawRop2, 2},
       {"PenWidth", K::Int, kStPenWidth, rt::kPropInt, &S::penWidth, 2},
       {"PenColor", K::Colour, kStPenColor, rt::kPropColour, &S::penColor, 2},
       {"BrushStyle", K::Int, kStBrushStyle, rt::kPropChoice, &S::brushStyle, 2},
       {"BrushColor", K::Colour, kStBrushColor, rt::kPropColour, &S::brushColor, 2},
       {"TextColor", K::Colour, kStTextColor, rt::kPropColour, &S::textColor, 2},
       {"TextBackColor", K::Colour, kStTextBackColor, rt::kPropColour2, &S::textBackColor, 2},
       {"font", K::Font, kStFont, rt::kPropFont, &S::font, 2},
       {"pic", K::Bytes, kStPic, rt::kPropPicture, &S::pic}},
      {{"ObjectLeftDown", kObjectLeftDown}, {"ObjectRightDown", kObjectRightDown},
       {"ObjectLeftUp", kObjectLeftUp}, {"ObjectRightUp", kObjectRightUp},
       {"ObjectDoubleClick", kObjectDoubleClick}, {"ObjectEnter", kObjectEnter},
       {"ObjectLeave", kObjectLeave}, {"StageMouseMove", kStageMouseMove},
       {"PositionChanging", kPositionChanging}, {"PositionChanged", kPositionChanged},
       {"ObjectDestroying", kObjectDestroying}, {"ObjectCollided", kObjectCollided},
       {"BorderHit", kBorderHit}, {"OutOfBorder", kOutOfBorder},
       {"AutoForwardStopped", kAutoForwardStopped}, {"AutoRotateStopped", kAutoRotateStopped},
       {"AnimationFinished", kAnimationFinished}, {"WatchedKeyDown", kWatchedKeyDown}});
  return table;
}

const rt::FieldTable<TemplateSettings>& TemplateFields() {
  using K = rt::FieldKind;
  using S = TemplateSettings;
  static const rt::FieldTable<S> table(
      {"CartoonObject", kCartoonObjectType, kTemplateBlockVersion, 0, rt::CutShort::Refused},
      {{"TextColor", K::Colour, kTplTextColor, rt::kPropColour, &S::textColor},
       {"AutoGetTransColor", K::Bool, kTplAutoGetTransColor, rt::kPropBool, &S::autoGetTransColor},
       {"TransparentColor", K::Colour, kTplTransparentColor, rt::kPropColour, &S::transparentColor},
       {"alpha", K::Int, kTplAlpha, rt::kPropInt, &S::alpha},
       {"zoom", K::Int, kTplZoom, rt::kPropInt, &S::zoom},
       {"PlayGIF", K::Bool, kTplPlayGIF, rt::kPropBool, &S::playGif},
       {"GIFDelay", K::Int, kTplGIFDelay, rt::kPropInt, &S::gifDelay},
       {"GIFAutoDestroy", K::Int, kTplGIFAutoDestroy, rt::kPropInt, &S::gifAutoDestroy},
       {"TrendColor", K::Colour, kTplTrendColor, rt::kPropColour, &S::trendColor},
       {"TrendDepth", K::Int, kTplTrendDepth, rt::kPropInt, &S::trendDepth},
       {"light", K::Int, kTplLight, rt::kPropInt, &S::light},
       {"layer", K::Int, kTplLayer, rt::kPropInt, &S::layer},
       {"angle", K::Int, kTplAngle, rt::kPropInt, &S::angle},
       {"RotateFollow", K::Bool, kTplRotateFollow, rt::kPropBool, &S::rotateFollow},
       {"ExistTime", K::Int, kTplExistTime, rt::kPropInt, &S::existTime},
       {"CollideAllowed", K::Bool, kTplCollideAllowed, rt::kPropBool, &S::collideAllowed},
       {"type", K::Int, kTplType, rt::kPropInt, &S::type, 2},
       {"TurnType", K::Int, kTplTurnType, rt::kPropChoice, &S::turnType, 3},
       {"text", K::Text, kTplText, rt::kPropText, &S::text},
       {"font", K::Font, kTplFont, rt::kPropFont, &S::font},
       {"picture", K::Bytes, kTplPicture, rt::kPropPicture, &S::picture},
       {"CreateSound", K::Bytes, kTplCreateSound, rt::kPropMusic, &S::createSound},
       {"DestroySound", K::Bytes, kTplDestroySound, rt::kPropMusic, &S::destroySound},
       {"CollidedSound", K::Bytes, kTplCollidedSound, rt::kPropMusic, &S::collidedSound}});
  return table;
}

std::optional<StageSettings> ParseStageBlock(std::span<const uint8_t> block) {
  auto s = StageFields().ReadSettings(block);
  if (s) ClampStageSettings(*s);
  return s;
}

std::optional<TemplateSettings> ParseTemplateBlock(std::span<const uint8_t> block) {
  auto t = TemplateFields().ReadSettings(block);
  if (!t) return std::nullopt;
  // A stored text may carry its terminator; the text ends at the first zero.
  t->text.resize(std::min(t->text.size(), t->text.find('\0')));
  ClampTemplateSettings(*t);
  return t;
}

std::vector<uint8_t> WriteStageBlock(const StageSettings& s) { return StageFields().Write(s); }

std::vector<uint8_t> WriteTemplateBlock(const TemplateSettings& t) { return TemplateFields().Write(t); }

}  // namespace stage
