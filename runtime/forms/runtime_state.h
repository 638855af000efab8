// The form runtime's one state instance, shared by the runtime's own source files only.
#pragma once
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/forms/form_description.h"
#include "runtime/forms/runtime.h"

namespace rt {
struct UnitType;
}  // namespace rt

namespace rt::detail {

struct ResolvedEvent {
  int32_t eventIndex = 0;
  Handler handler = nullptr;
};

// Per record of a window: what the runtime keeps beside the stored record.
struct UnitState {
  std::unique_ptr<Component> live;
  std::vector<ResolvedEvent> events;
  std::string tag;                     // common property 4
  std::vector<uint8_t> mousePointer;   // common property 7 (kept, not shown)
  // The record's registered type, looked up once: every message passes the window's
  // units through their pre-filters. Registered types never move or go away.
  mutable const UnitType* type = nullptr;
};

struct WindowState {
  WindowDescription desc;
  std::vector<UnitState> units;  // parallel to desc.records
  platform::HWND hwnd = 0;       // the form window while live
  bool loading = false;
  bool loaded = false;

  int IndexOf(uint32_t componentId) const;  // 0 for componentId 0; -1 when unknown
};

struct IdleEntry {
  platform::HWND window = 0;
  IdleRoutine routine = nullptr;
  void* param = nullptr;
};

struct RuntimeState {
  bool started = false;
  std::string programFolder, programFileName;
  std::vector<std::unique_ptr<WindowState>> windows;
  EventSource currentSource;
  // Also counted by EndProgram on other threads.
  std::atomic<int> exitCounter{0};
  std::vector<IdleEntry> idle;
  std::function<void()> cleanup;
  std::thread::id mainThread;
  bool loopStarted = false;
  bool exiting = false;
  platform::HWND runtimeWindow = 0;
  std::vector<Handler> handlers;
  // Units of destroyed windows wait here until no window procedure of theirs can still
  // be on the stack.
  std::vector<std::unique_ptr<Component>> released;
};

RuntimeState& State();
WindowState* FindWindow(uint32_t windowId);
// The (window, record index) a window handle belongs to, walking up to the nearest
// handle that is a unit's window; nullopt for windows outside every form.
struct UnitRef {
  WindowState* window = nullptr;
  int index = 0;
  uint32_t ComponentId() const { return index == 0 ? 0 : window->desc.records[index].key; }
};
std::optional<UnitRef> UnitOfHwnd(platform::HWND h);

// Drops released units (outside of any of their window procedures).
void CollectReleased();

[[noreturn]] void LoadError();

}  // namespace rt::detail
