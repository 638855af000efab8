// What a component type offers the form runtime, and what the form runtime offers
// component implementations (events, the current event source, component lookup).
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/types.h"

namespace rt {

// Property type codes of the property tables.
enum PropType : int {
  kPropInt = 1001, kPropDouble = 1002, kPropBool = 1003, kPropDateTime = 1004,
  kPropText = 1005, kPropChoice = 1006, kPropPicture = 1009, kPropIcon = 1010,
  kPropCursor = 1011, kPropMusic = 1012, kPropFont = 1013, kPropColour = 1014,
  kPropColour2 = 1015, kPropColour3 = 1017, kPropCustom = 1023, kPropCustom2 = 1024,
};

// A `font` value: the seven members in stored order.
struct FontValue {
  int angle = 0;          // tenths of a degree, taken modulo 3600 into 0..3599
  bool bold = false;      // weight 700
  bool italic = false;
  bool strikeOut = false;
  bool underline = false;
  int size = 9;           // points; height -(size * 96 / 72) rounded; negative counts as 0
  std::string face;       // GBK; empty or longer than 31 bytes means "宋体"
};

// A property value as it crosses the component boundary, already converted by the
// property's type: numbers, bools, colours and choices in `i`, doubles in `d`, texts
// (GBK) in `text`, picture/icon/cursor/music/custom bytes in `bytes`, fonts in `font`.
struct PropValue {
  int64_t i = 0;
  double d = 0;
  std::string text;
  std::vector<uint8_t> bytes;
  FontValue font;
  bool hasFont = false;
};

struct PropertyInfo {
  int type = kPropInt;     // PropType
  uint32_t state = 0x8000; // 0xE000 for the common properties 0..7
};

// What the create operation receives.
struct CreateInfo {
  uint32_t windowId = 0;
  uint32_t componentId = 0;  // 0 for the window unit itself
  uint32_t typeCode = 0;
  platform::HWND parent = 0;  // the form's window (0 when creating the form itself)
  platform::Rect rect;        // left, top, right, bottom in the parent's client area
  uint32_t flags = 0;         // bit 0 visible, bit 1 disabled, bit 2 tab stop
  int childNumber = 0;        // 100, 110, 120 ...
  std::span<const uint8_t> ownBlock;  // the record's own property block (may be empty)
};

struct FormKeySettings;

// The live object of a unit.
class Component {
 public:
  virtual ~Component() = default;
  // The unit's window; 0 for units without one.
  virtual platform::HWND Hwnd() const = 0;
  // Own properties, index = property index - 8.
  virtual PropValue ReadProperty(int ownIndex) = 0;
  // Returns true when the runtime should refresh the window description from the units.
  virtual bool WriteProperty(int ownIndex, const PropValue& v) = 0;
  // True when the focused unit handles this key message itself: the form's keyboard
  // navigation (Tab, Enter, Esc, arrows, mnemonics) then leaves it to the unit.
  virtual bool WantsKey(const platform::Message&) { return false; }
  // Sees each message bound for its form before it is dispatched, for units whose type
  // has kUnitHasPreFilter; true consumes the message.
  virtual bool PreFilter(platform::Message&) { return false; }
  // Runtime notices.
  virtual void OnCreationComplete() {}
  virtual void OnWindowShown() {}
  // Enter on the focused unit: its default action.
  virtual void DefaultAction() {}

  // What the keyboard navigation asks of a unit.
  // Whether DefaultAction does anything (only then does Enter belong to the unit).
  virtual bool HasDefaultAction() const { return false; }
  // GBK caption in which Alt mnemonics ('&' before a character) are looked for.
  virtual std::string Caption() const { return {}; }
  // The window unit's keyboard settings; nullptr for every other unit.
  virtual const FormKeySettings* KeySettings() const { return nullptr; }
  // What a frame adds around the window's client area on each side (left, top, right,
  // bottom); the common geometry properties describe the outer rectangle.
  virtual platform::Rect FrameInsets() const { return {}; }
};

// What the window unit tells the pre-filter about its keys.
struct FormKeySettings {
  bool enterMovesFocus = false;
  bool escCloses = false;
  bool f1OpensHelp = false;
  std::string helpFile;  // GBK path, empty: none
};

enum UnitTypeFlags : uint32_t {
  kUnitRaisesEvents = 0x04,
  kUnitHasPreFilter = 0x20,
  kUnitIsWindowComponent = 0x40,
  kUnitInnerWindows = 0x200,
  kUnitRadioLike = 0x400,
  kUnitInvisibleAtRunTime = 0x8000,
};

struct UnitType {
  std::string displayName;  // GBK, e.g. gbk("动画框")
  std::string englishName;  // e.g. "CartoonBox"
  uint32_t typeCode = 0;
  uint32_t flags = 0;
  std::vector<PropertyInfo> properties;  // every property in index order, 0..7 included
  // Makes a unit's live object; nullptr when that fails, which fails the whole window load.
  std::function<std::unique_ptr<Component>(const CreateInfo&)> create;
};

// A property table: the eight common properties (int, int, int, int, text, bool, bool,
// cursor bytes; state 0xE000) followed by the own ones of the given types.
inline std::vector<PropertyInfo> PropertyTable(std::initializer_list<int> ownTypes) {
  std::vector<PropertyInfo> t;
  for (int type : {kPropInt, kPropInt, kPropInt, kPropInt, kPropText, kPropBool, kPropBool,
                   kPropCursor})
    t.push_back({type, 0xE000});
  for (int type : ownTypes) t.push_back({type, 0x8000});
  return t;
}

void RegisterUnitType(UnitType type);
const UnitType* FindUnitType(uint32_t typeCode);

// A component as a command names it: the form's window id, the component's id and its
// type code (the record's low half, high half and type).
struct ComponentRef {
  uint32_t windowId = 0;
  uint32_t componentId = 0;
  uint32_t typeCode = 0;
};

// ---- events ---------------------------------------------------------------------------
struct EventRecord {
  uint32_t windowId = 0;
  uint32_t componentId = 0;  // 0: the window itself
  int32_t eventIndex = 0;    // own events 0, 1, ...; common events negative
  uint32_t argCount = 0;
  int32_t args[5] = {};
  uint32_t resultPresent = 0;
  int64_t result = 0;
};

// Common events.
enum CommonEvent : int32_t {
  kEvLeftButtonDown = -1, kEvLeftButtonUp = -2, kEvDoubleClick = -3,
  kEvRightButtonDown = -4, kEvRightButtonUp = -5, kEvMouseMove = -6, kEvGotFocus = -7,
  kEvLostFocus = -8, kEvKeyDown = -9, kEvKeyUp = -10, kEvCharacter = -11, kEvWheel = -12,
};

// The window unit's own events that the runtime's layers raise: the form runtime raises
// Created, then Moved and Resized for the window's first placement, while it loads the
// window and before it shows it; the window component raises CloseRequested.
enum WindowEvent : int32_t {
  kEvCreated = 0, kEvCloseRequested = 1, kEvMoved = 3, kEvResized = 4,
};

// Delivers at once (nested if need be). Returns whether a handler was called.
bool RaiseEvent(EventRecord& ev);

// The live component of (window id, component id); runtime error
// "指定窗口或窗口组件不存在或尚未载入" when there is none.
Component& GetComponent(uint32_t windowId, uint32_t componentId);
// nullptr instead of the error.
Component* FindComponent(uint32_t windowId, uint32_t componentId);

struct EventSource {
  uint32_t windowId = 0;
  uint32_t componentId = 0;
};
EventSource CurrentEventSource();

// Idle callbacks, called while the queue is empty, last registered first.
using IdleRoutine = void (*)(void* param);
void AddIdleCallback(platform::HWND window, IdleRoutine routine, void* param);
void RemoveIdleCallback(platform::HWND window, IdleRoutine routine, void* param);

// Lets pending messages run (through the form's pre-filter) until the queue is empty or
// the quit message is next.
void DoEvents();

}  // namespace rt
