#include "tools/formbuild/block_fields.h"

#include <strings.h>

#include "runtime/components/hyperlinker.h"
#include "runtime/components/window_component.h"
#include "runtime/forms/label.h"
#include "runtime/forms/timer.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"

namespace formbuild {

namespace {

using K = FieldKind;
constexpr int64_t kDefault = 0xFF000000;

}  // namespace

const std::vector<TypeInfo>& KnownTypes() {
  static const std::vector<TypeInfo> types = {
      {"window", rt::kWindowTypeCode, 6, 1,
       {{"Border", K::Int, 2}, {"Reserved3", K::Int, 1}, {"BackColor", K::Colour, kDefault},
        {"MaxButton", K::Bool, 0}, {"MinButton", K::Bool, 1}, {"ControlBox", K::Bool, 1},
        {"StartPosition", K::Int, 1}, {"Movable", K::Bool, 1}, {"MusicPlayMode", K::Int, 0},
        {"EnterMovesFocus", K::Bool, 0}, {"EscCloses", K::Bool, 0}, {"F1Help", K::Bool, 0},
        {"HelpTopic", K::Int, 0}, {"ShowInTaskBar", K::Bool, 1}, {"DragAnywhere", K::Bool, 0},
        {"Reserved17", K::Int, 0}, {"AlwaysOnTop", K::Bool, 0}, {"Reserved19", K::Int, 0},
        {"ClassName", K::Text}, {"BackPicture", K::Bytes}, {"Icon", K::Bytes},
        {"Music", K::Bytes}, {"Caption", K::Text}, {"HelpFile", K::Text}},
       {{"Created", 0}, {"CloseRequested", 1}}},
      {"Label", rt::kLabelTypeCode, 2, 1,
       {{"Border", K::Int, 0}, {"TextColor", K::Colour, 0}, {"BackColor", K::Colour, kDefault},
        {"Alignment", K::Int, 0}, {"VerticalAlignment", K::Int, 0}, {"WordWrap", K::Bool, 0},
        {"Transparent", K::Bool, 0}, {"PicDrawMode", K::Int, 0}, {"Margin", K::Int, 0},
        {"LineSpacing", K::Int, 0}, {"Reserved10", K::Int, 0}, {"Reserved11", K::Int, 0},
        {"Reserved12", K::Int, 0}, {"Reserved13", K::Int, 0}, {"Reserved14", K::Int, 0},
        {"Reserved15", K::Int, 0}, {"Picture", K::Bytes}, {"Font", K::Font},
        {"Caption", K::Text}, {"Text2", K::Text}, {"Text3", K::Text}},
       {}},
      {"HyperLinker", rt::kHyperLinkerTypeCode, 1, 1,
       {{"LinkType", K::Int, 1}, {"NormalColor", K::Colour, 0x00FF0000},
        {"VisitedColor", K::Colour, 0x00800080}, {"HoverColor", K::Colour, 0x000000FF},
        {"BackColor", K::Colour, kDefault}, {"Selection", K::Int, 0}, {"Font", K::Font},
        {"Caption", K::Text}, {"MailAddress", K::Text}, {"WebAddress", K::Text}},
       {}},
      {"Timer", rt::kTimerTypeCode, 1, 0, {{"Interval", K::Int, 0}}, {{"Tick", 0}}},
      {"CartoonBox", stage::kCartoonBoxType, 2, 1,
       {{"border", K::Int, 0}, {"BackColor", K::Colour, kDefault}, {"PicDrawMode", K::Int, 0},
        {"PenStyle", K::Int, 1}, {"DrawRop2", K::Int, 12}, {"PenWidth", K::Int, 0},
        {"PenColor", K::Colour, 0}, {"BrushStyle", K::Int, 1}, {"BrushColor", K::Colour, 0xFFFFFF},
        {"TextColor", K::Colour, 0}, {"TextBackColor", K::Colour, kDefault}, {"font", K::Font},
        {"pic", K::Bytes}},
       {{"ObjectLeftDown", 0}, {"ObjectRightDown", 1}, {"ObjectLeftUp", 2}, {"ObjectRightUp", 3},
        {"ObjectDoubleClick", 4}, {"ObjectEnter", 5}, {"ObjectLeave", 6}, {"StageMouseMove", 7},
        {"PositionChanging", 8}, {"PositionChanged", 9}, {"ObjectDestroying", 10},
        {"ObjectCollided", 11}, {"BorderHit", 12}, {"OutOfBorder", 13},
        {"AutoForwardStopped", 14}, {"AutoRotateStopped", 15}, {"AnimationFinished", 16},
        {"WatchedKeyDown", 17}}},
      {"CartoonObject", stage::kCartoonObjectType, 3, 0,
       {{"TextColor", K::Colour, 0}, {"AutoGetTransColor", K::Bool, 0},
        {"TransparentColor", K::Colour, kDefault}, {"alpha", K::Int, 0}, {"zoom", K::Int, 1000},
        {"PlayGIF", K::Bool, 0}, {"GIFDelay", K::Int, 0}, {"GIFAutoDestroy", K::Int, 0},
        {"TrendColor", K::Colour, 0xFFFFFF}, {"TrendDepth", K::Int, 0}, {"light", K::Int, 0},
        {"layer", K::Int, 0}, {"angle", K::Int, 0}, {"RotateFollow", K::Bool, 0},
        {"ExistTime", K::Int, 0}, {"CollideAllowed", K::Bool, 0}, {"type", K::Int, 0},
        {"TurnType", K::Int, 0}, {"text", K::Text}, {"font", K::Font}, {"picture", K::Bytes},
        {"CreateSound", K::Bytes}, {"DestroySound", K::Bytes}, {"CollidedSound", K::Bytes}},
       {}},
  };
  return types;
}

const TypeInfo* FindType(const std::string& name) {
  for (const auto& t : KnownTypes())
    if (strcasecmp(t.name, name.c_str()) == 0) return &t;
  return nullptr;
}

int32_t CommonEventIndex(const std::string& name, bool& found) {
  static const std::pair<const char*, int32_t> common[] = {
      {"LeftButtonDown", -1}, {"LeftButtonUp", -2}, {"DoubleClick", -3},
      {"RightButtonDown", -4}, {"RightButtonUp", -5}, {"MouseMove", -6}, {"GotFocus", -7},
      {"LostFocus", -8}, {"KeyDown", -9}, {"KeyUp", -10}, {"Character", -11}, {"Wheel", -12}};
  for (const auto& [n, index] : common) {
    if (strcasecmp(n, name.c_str()) == 0) {
      found = true;
      return index;
    }
  }
  found = false;
  return 0;
}

}  // namespace formbuild
