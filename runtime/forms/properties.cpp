// Property access by number: the eight common properties of every window component and
// the own properties of each unit type, converted by the property's type.
#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/draw.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/font_value.h"
#include "runtime/forms/runtime_state.h"
#include "runtime/values/values.h"

namespace rt {

using namespace detail;

namespace {

struct Target {
  WindowState* window = nullptr;
  size_t index = 0;
  UnitRecord& Record() const { return window->desc.records[index]; }
  UnitState& Unit() const { return window->units[index]; }
  platform::HWND Hwnd() const { return Unit().live ? Unit().live->Hwnd() : 0; }
};

Target Locate(uint32_t windowId, uint32_t componentId) {
  WindowState* w = FindWindow(windowId);
  if (!w) RuntimeErrorMessage(platform::gbk("未载入欲访问窗口组件所在的窗口"));
  int i = w->IndexOf(componentId);
  if (i < 0) RuntimeErrorMessage(platform::gbk("指定窗口或窗口组件不存在或尚未载入"));
  return {w, size_t(i)};
}

int PropTypeOf(const Target& t, int index) {
  static constexpr int kCommonTypes[8] = {kPropInt,  kPropInt,  kPropInt,  kPropInt,
                                          kPropText, kPropBool, kPropBool, kPropCursor};
  if (index >= 0 && index < 8) return kCommonTypes[index];
  const UnitType* type = FindUnitType(t.Record().typeCode);
  if (!type || index < 0 || size_t(index) >= type->properties.size()) return 0;
  return type->properties[size_t(index)].type;
}

Component& LiveOf(const Target& t) {
  if (!t.Unit().live) RuntimeErrorMessage(platform::gbk("指定窗口尚未载入"));
  return *t.Unit().live;
}

// The unit's outer rectangle in its parent's client area (for the form: the screen),
// from the live window when there is one, else from the record.
platform::Rect OuterRect(const Target& t) {
  const UnitRecord& r = t.Record();
  platform::HWND h = t.Hwnd();
  if (!h) return {r.left, r.top, r.left + r.width, r.top + r.height};
  platform::Rect c = platform::GetRectInParent(h);
  platform::Rect in = t.Unit().live->FrameInsets();
  return {c.left - in.left, c.top - in.top, c.right + in.right, c.bottom + in.bottom};
}

void MoveOuter(const Target& t, const platform::Rect& outer) {
  platform::Rect in = t.Unit().live->FrameInsets();
  platform::Rect c{outer.left + in.left, outer.top + in.top, outer.right - in.right,
                   outer.bottom - in.bottom};
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  platform::MoveWindow(t.Hwnd(), c);
}

PropValue ReadCommon(const Target& t, int index) {
  PropValue v;
  const UnitRecord& r = t.Record();
  platform::HWND h = t.Hwnd();
  platform::Rect rect = OuterRect(t);
  switch (index) {
    case kPropLeft: v.i = rect.left; break;
    case kPropTop: v.i = rect.top; break;
    case kPropWidth: v.i = rect.Width(); break;
    case kPropHeight: v.i = rect.Height(); break;
    case kPropTag: v.text = t.Unit().tag; break;
    case kPropVisible:
      v.i = h ? (platform::GetStyle(h) & platform::WS_VISIBLE) != 0 : (r.Flags() & kUnitVisible) != 0;
      break;
    case kPropDisabled:
      v.i = h ? !platform::IsWindowEnabled(h) : (r.Flags() & kUnitDisabled) != 0;
      break;
    case kPropMousePointer: v.bytes = t.Unit().mousePointer; break;
  }
  return v;
}

void WriteCommon(const Target& t, int index, const PropValue& v) {
  UnitRecord& r = t.Record();
  platform::HWND h = t.Hwnd();
  switch (index) {
    case kPropLeft: case kPropTop: case kPropWidth: case kPropHeight: {
      int32_t value = int32_t(std::clamp<int64_t>(v.i, INT32_MIN, INT32_MAX));
      if (index == kPropWidth || index == kPropHeight) value = std::clamp(value, 0, kMaxExtent);
      platform::Rect rect = OuterRect(t);
      int left = rect.left, top = rect.top, width = rect.Width(), height = rect.Height();
      if (index == kPropLeft) left = value;
      if (index == kPropTop) top = value;
      if (index == kPropWidth) width = value;
      if (index == kPropHeight) height = value;
      r.left = left, r.top = top, r.width = width, r.height = height;
      if (h) MoveOuter(t, {left, top, left + width, top + height});
      break;
    }
    case kPropTag: t.Unit().tag = v.text; break;
    case kPropVisible:
      r.SetFlags(v.i ? (r.Flags() | kUnitVisible) : (r.Flags() & ~uint32_t(kUnitVisible)));
      if (h) platform::ShowWindow(h, v.i != 0);
      break;
    case kPropDisabled:
      r.SetFlags(v.i ? (r.Flags() | kUnitDisabled) : (r.Flags() & ~uint32_t(kUnitDisabled)));
      if (h) platform::EnableWindow(h, v.i == 0);
      break;
    case kPropMousePointer: t.Unit().mousePointer = v.bytes; break;
  }
}

// Brings the stored records up to date with the live units (geometry and the visible
// and disabled flags), when a unit asks for it after a property write.
void RefreshDescription(WindowState& w) {
  for (size_t i = 0; i < w.units.size(); ++i) {
    if (!w.units[i].live) continue;
    platform::HWND h = w.units[i].live->Hwnd();
    if (!h || !platform::IsWindow(h)) continue;
    UnitRecord& r = w.desc.records[i];
    platform::Rect rect = OuterRect({&w, i});
    r.left = rect.left, r.top = rect.top, r.width = rect.Width(), r.height = rect.Height();
    uint32_t flags = r.Flags() & ~uint32_t(kUnitVisible | kUnitDisabled);
    if (platform::GetStyle(h) & platform::WS_VISIBLE) flags |= kUnitVisible;
    if (!platform::IsWindowEnabled(h)) flags |= kUnitDisabled;
    r.SetFlags(flags);
  }
}

PropValue Normalise(int type, PropValue v) {
  switch (type) {
    case kPropBool: v.i = v.i != 0; break;
    case kPropChoice: if (v.i < 0) v.i = 0; break;
    case kPropFont: v.font = NormaliseFont(v.font); break;
    default: break;
  }
  return v;
}

PropValue ReadWhole(const Target& t, int index) {
  if (index >= 0 && index < 8) return ReadCommon(t, index);
  Component& c = LiveOf(t);
  if (PropTypeOf(t, index) == 0) return {};
  return c.ReadProperty(index - 8);
}

void WriteWhole(const Target& t, int index, const PropValue& v) {
  if (index >= 0 && index < 8) return WriteCommon(t, index, v);
  Component& c = LiveOf(t);
  int type = PropTypeOf(t, index);
  if (type == 0) return;  // no such property: nothing to write
  WindowState* w = t.window;
  if (c.WriteProperty(index - 8, Normalise(type, v)) && FindWindow(w->desc.windowId) == w)
    RefreshDescription(*w);
}

FontValue CurrentFont(const Target& t, int index) {
  PropValue cur = ReadWhole(t, index);
  return cur.hasFont ? cur.font : FontFromLogFont(platform::DefaultGuiFont());
}

}  // namespace

PropValue ReadPropertyValue(uint32_t windowId, uint32_t componentId, int index, int member) {
  Target t = Locate(windowId, componentId);
  if (member < 0 || PropTypeOf(t, index) != kPropFont) return ReadWhole(t, index);
  FontValue f = CurrentFont(t, index);
  PropValue v;
  switch (member) {
    case 0: v.i = f.angle; break;
    case 1: v.i = f.bold; break;
    case 2: v.i = f.italic; break;
    case 3: v.i = f.strikeOut; break;
    case 4: v.i = f.underline; break;
    case 5: v.i = f.size; break;
    case 6: v.text = f.face; break;
  }
  return v;
}

void WritePropertyValue(uint32_t windowId, uint32_t componentId, int index, int member,
                        const PropValue& value) {
  Target t = Locate(windowId, componentId);
  if (member < 0 || PropTypeOf(t, index) != kPropFont) return WriteWhole(t, index, value);
  if (member > 6) return;
  PropValue v;
  v.hasFont = true;
  v.font = CurrentFont(t, index);
  switch (member) {
    case 0: v.font.angle = int(value.i % 3600); break;
    case 1: v.font.bold = value.i != 0; break;
    case 2: v.font.italic = value.i != 0; break;
    case 3: v.font.strikeOut = value.i != 0; break;
    case 4: v.font.underline = value.i != 0; break;
    case 5: v.font.size = int(std::clamp<int64_t>(value.i, INT32_MIN, INT32_MAX)); break;
    case 6: v.font.face = value.text; break;
  }
  WriteWhole(t, index, v);
}

int64_t ReadProperty(uint32_t windowId, uint32_t componentId, int index, int member) {
  Target t = Locate(windowId, componentId);
  PropValue v = ReadPropertyValue(windowId, componentId, index, member);
  int type = member >= 0 && PropTypeOf(t, index) == kPropFont ? kPropInt : PropTypeOf(t, index);
  switch (type) {
    case kPropDouble: case kPropDateTime: return std::bit_cast<int64_t>(v.d);
    case kPropBool: return v.i != 0;
    case kPropInt: return int64_t(int32_t(v.i));
    default: return v.i;
  }
}

void WriteProperty(uint32_t windowId, uint32_t componentId, int index, int member, int64_t value) {
  Target t = Locate(windowId, componentId);
  PropValue v;
  v.i = value;
  int type = PropTypeOf(t, index);
  if ((type == kPropDouble || type == kPropDateTime) && member < 0) v.d = std::bit_cast<double>(value);
  WritePropertyValue(windowId, componentId, index, member, v);
}

}  // namespace rt
