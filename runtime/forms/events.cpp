// Unit types, handler lookup and event delivery.
#include <map>

#include "platform/text.h"
#include "runtime/forms/runtime_state.h"
#include "runtime/values/values.h"

namespace rt {

using namespace detail;

namespace {

std::map<uint32_t, UnitType>& Types() {
  static std::map<uint32_t, UnitType> types;
  return types;
}

}  // namespace

void RegisterUnitType(UnitType type) {
  uint32_t code = type.typeCode;
  Types()[code] = std::move(type);
}

const UnitType* FindUnitType(uint32_t typeCode) {
  auto it = Types().find(typeCode);
  return it == Types().end() ? nullptr : &it->second;
}

Handler FindHandler(uint32_t windowId, uint32_t componentId, int32_t eventIndex) {
  WindowState* w = FindWindow(windowId);
  if (!w) RuntimeErrorMessage(platform::gbk("未找到引发事件的窗口"));
  int index = w->IndexOf(componentId);
  if (index < 0) RuntimeErrorMessage(platform::gbk("未找到引发事件的窗口组件"));

  // A unit may use the event table of another unit of the same type. The walk is
  // bounded by the record count, so a cycle of links cannot hang the program.
  const auto& records = w->desc.records;
  for (size_t hops = 0; hops < records.size(); ++hops) {
    uint32_t link = records[size_t(index)].eventLink;
    if (link == 0) break;
    int next = w->IndexOf(link);
    if (next <= 0 || next == index || records[size_t(next)].typeCode != records[size_t(index)].typeCode)
      break;
    index = next;
  }

  const UnitType* type = FindUnitType(records[size_t(index)].typeCode);
  if (!type || !(type->flags & kUnitRaisesEvents))
    RuntimeErrorMessage(platform::gbk("引发事件的窗口组件无效"));
  for (const auto& e : w->units[size_t(index)].events)
    if (e.eventIndex == eventIndex) return e.handler;
  return nullptr;
}

bool RaiseEvent(EventRecord& ev) {
  RuntimeState& s = State();
  if (s.exitCounter > 0) return false;
  Handler handler = FindHandler(ev.windowId, ev.componentId, ev.eventIndex);
  if (!handler) return false;
  // Nested delivery restores the outer source, so a component asking after a nested
  // event has returned still sees its own event's source.
  EventSource outer = s.currentSource;
  s.currentSource = {ev.windowId, ev.componentId};
  std::optional<int64_t> result = handler(ev);
  s.currentSource = outer;
  ev.resultPresent = result.has_value() ? 1 : 0;
  ev.result = result.value_or(0);
  return true;
}

EventSource CurrentEventSource() { return State().currentSource; }

}  // namespace rt
