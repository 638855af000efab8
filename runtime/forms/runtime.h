// The form runtime: start-up, the window registry, loading windows from the form
// description, event delivery to the program's handlers, property access by number,
// the message loop and the orderly end of the program.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/types.h"
#include "runtime/forms/component.h"

namespace rt {

// ---- the program ----------------------------------------------------------------------
// A handler routine. It returns a value (std::optional holding it) or nothing (nullopt);
// the two are told apart, so "returned 0" consumes a key and "returned nothing" does not.
using Handler = std::optional<int64_t> (*)(const EventRecord& ev);

// What the program hands the runtime at start: its form description and the table of
// handler routines that the description's handler references are offsets into.
struct ProgramImage {
  std::span<const uint8_t> formDescription;
  std::span<const Handler> handlers;
};

// ---- operations the program calls --------------------------------------------------------
// First statement of the program. Reads the form description (runtime error
// "载入窗口模板数据段出错!" when it is damaged) and registers the form runtime's own
// unit types (`Label`, `Timer`); other libraries register theirs before LoadWindow.
void InitRuntime(const ProgramImage& program);
bool RuntimeStarted();
// The routine run once when the program ends in order (never after a runtime error).
void RegisterCleanup(std::function<void()> routine);
// Creates and shows a window; runtime error "载入启动窗口失败" on failure.
void LoadWindow(uint32_t windowId);
// Returns when no window is left and the loop has ended.
void RunMessageLoop();
// Orderly end: cleanup once, windows destroyed, sounds stopped, process ended.
[[noreturn]] void EndProgram(int code);

// Property access by number. `member` is -1 for the whole value, 0..6 for one member of
// a font (angle, bold, italic, strike-out, underline, size, face name). The 64-bit form
// carries ints, bools, colours and choices as themselves and doubles as their bit pattern;
// texts, byte sets and fonts travel through the PropValue form.
int64_t ReadProperty(uint32_t windowId, uint32_t componentId, int index, int member = -1);
void WriteProperty(uint32_t windowId, uint32_t componentId, int index, int member, int64_t value);
PropValue ReadPropertyValue(uint32_t windowId, uint32_t componentId, int index, int member = -1);
void WritePropertyValue(uint32_t windowId, uint32_t componentId, int index, int member,
                        const PropValue& value);

// Common property indexes.
enum CommonProperty : int {
  kPropLeft = 0, kPropTop = 1, kPropWidth = 2, kPropHeight = 3, kPropTag = 4,
  kPropVisible = 5, kPropDisabled = 6, kPropMousePointer = 7,
};
inline constexpr int kMaxExtent = 32627;

// ---- for components ----------------------------------------------------------------------
// The handler wired to an event, or nullptr. Runtime errors for an unknown window
// ("未找到引发事件的窗口"), an unknown component ("未找到引发事件的窗口组件") and a type
// that cannot raise events ("引发事件的窗口组件无效").
Handler FindHandler(uint32_t windowId, uint32_t componentId, int32_t eventIndex);
// The form window of a loaded window id (0 when it is not live).
platform::HWND FormWindow(uint32_t windowId);
// The window unit calls this from its WM_DESTROY: the window's units are released and,
// when it was the last window of the program, the message loop is asked to end.
void WindowDestroyed(uint32_t windowId);
// The form's pre-filter; true when the message was consumed (not to be dispatched).
bool PreFilterMessage(platform::Message& msg);
// The runtime's hidden message window.
platform::HWND RuntimeWindow();
int ExitCounter();
bool IsMainThread();

// Program folder and file name (GBK, the folder without a trailing separator).
const std::string& ProgramFolder();
const std::string& ProgramFileName();

// Registers `Label` and `Timer` (done by InitRuntime; harmless to repeat).
void RegisterFormUnitTypes();

// Tests only: forgets every window description, live unit, idle callback and the
// cleanup, and returns the runtime to "not started". The platform is not touched.
void ResetRuntimeForTesting();

}  // namespace rt
