// Start-up, the window registry, loading windows and the orderly end.
#include "runtime/forms/runtime.h"

#include <chrono>
#include <filesystem>
#include <new>
#include <thread>

#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "runtime/forms/runtime_state.h"
#include "runtime/sound/sound.h"
#include "runtime/values/values.h"

namespace rt {

namespace detail {

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

int WindowState::IndexOf(uint32_t componentId) const {
  if (componentId == 0) return 0;
  for (size_t i = 1; i < desc.records.size(); ++i)
    if (desc.records[i].key == componentId) return int(i);
  return -1;
}

WindowState* FindWindow(uint32_t windowId) {
  for (auto& w : State().windows)
    if (w->desc.windowId == windowId) return w.get();
  return nullptr;
}

std::optional<UnitRef> UnitOfHwnd(platform::HWND h) {
  // Inner windows of a unit (a unit may build child windows of its own) belong to the
  // nearest ancestor that is a unit's window.
  for (int depth = 0; h != 0 && depth < 64; ++depth) {
    for (auto& w : State().windows) {
      if (w->hwnd == 0) continue;
      for (size_t i = 0; i < w->units.size(); ++i) {
        const auto& live = w->units[i].live;
        if (live && live->Hwnd() == h) return UnitRef{w.get(), int(i)};
      }
    }
    h = platform::GetParent(h);
  }
  return std::nullopt;
}

void CollectReleased() { State().released.clear(); }

void LoadError() { RuntimeErrorMessage(platform::gbk("载入窗口模板数据段出错!")); }

}  // namespace detail

using namespace detail;

namespace {

// The private end notice: EndProgram called from another thread hands the end over to
// the main thread through the runtime's hidden window.
constexpr uint32_t kEndNotice = platform::WM_USER + 0x1E0;

int64_t RuntimeWindowProc(platform::HWND h, uint32_t msg, uint64_t wParam, int64_t lParam) {
  if (msg == kEndNotice) EndProgram(int(int32_t(wParam)));
  return platform::DefWindowProc(h, msg, wParam, lParam);
}

void IncrementExitCounter() { ++State().exitCounter; }
void ForgetCleanup() { State().cleanup = nullptr; }
[[noreturn]] void EndAfterError(int code) { EndProgram(code); }

void ResolveHandlers(WindowState& w) {
  const auto& table = State().handlers;
  for (size_t i = 0; i < w.desc.records.size(); ++i) {
    for (const auto& e : w.desc.records[i].events) {
      Handler h = nullptr;
      if (e.handlerRef != kNoHandler) {
        // A reference outside the program's table is a damaged description, not a jump
        // into the unknown.
        if (e.handlerRef < 0 || size_t(e.handlerRef) >= table.size()) LoadError();
        h = table[size_t(e.handlerRef)];
      }
      w.units[i].events.push_back({e.eventIndex, h});
    }
  }
}

platform::Rect RecordRect(const UnitRecord& r) {
  return {r.left, r.top, r.left + r.width, r.top + r.height};
}

CreateInfo MakeCreateInfo(const WindowState& w, int index, platform::HWND parent, int childNumber) {
  const UnitRecord& r = w.desc.records[size_t(index)];
  CreateInfo ci;
  ci.windowId = w.desc.windowId;
  ci.componentId = index == 0 ? 0 : r.key;
  ci.typeCode = r.typeCode;
  ci.parent = parent;
  ci.rect = RecordRect(r);
  ci.flags = r.Flags();
  ci.childNumber = childNumber;
  ci.ownBlock = r.ownBlock;
  return ci;
}

std::unique_ptr<Component> CreateUnit(const CreateInfo& ci) {
  const UnitType* type = FindUnitType(ci.typeCode);
  if (!type || !type->create) return nullptr;
  return type->create(ci);
}

// Undoes a failed load: everything created so far goes, then the load error.
[[noreturn]] void FailLoad(WindowState& w) {
  platform::HWND form = w.hwnd;
  for (auto& u : w.units)
    if (u.live) State().released.push_back(std::move(u.live));
  w.hwnd = 0;
  w.loading = false;
  if (form && platform::IsWindow(form)) platform::DestroyWindow(form);
  RuntimeErrorMessage(platform::gbk("载入启动窗口失败"));
}

platform::HWND UnitHwnd(const WindowState& w, size_t i) {
  const auto& live = w.units[i].live;
  return live ? live->Hwnd() : 0;
}

void CreateComponents(WindowState& w) {
  int childNumber = 100;
  for (size_t i = w.desc.records.size() - 1; i >= 1; --i) {
    const UnitRecord& r = w.desc.records[i];
    platform::HWND parent = w.hwnd;
    if (r.container != 0) {
      // FIXME: a container stored after its parts is not live yet; its parts then sit on
      // the form itself. The game's form has no containers.
      int c = w.IndexOf(r.container);
      if (c > 0 && UnitHwnd(w, size_t(c))) parent = UnitHwnd(w, size_t(c));
    }
    auto unit = CreateUnit(MakeCreateInfo(w, int(i), parent, childNumber));
    if (!unit) FailLoad(w);
    w.units[i].live = std::move(unit);
    childNumber += 10;
  }
}

// Record 1 goes on top; every later record directly below the nearest earlier record of
// the same container.
void StackComponents(WindowState& w) {
  for (size_t i = 1; i < w.desc.records.size(); ++i) {
    platform::HWND h = UnitHwnd(w, i);
    if (!h) continue;
    platform::HWND above = platform::HWND_TOP;
    for (size_t j = i - 1; j >= 1; --j) {
      if (w.desc.records[j].container == w.desc.records[i].container && UnitHwnd(w, j)) {
        above = UnitHwnd(w, j);
        break;
      }
    }
    platform::SetZOrder(h, above);
  }
}

bool FormAlive(const WindowState& w) { return w.hwnd != 0 && platform::IsWindow(w.hwnd); }

void RaiseFormEvent(WindowState& w, int32_t index) {
  EventRecord ev;
  ev.windowId = w.desc.windowId;
  ev.eventIndex = index;
  RaiseEvent(ev);
}

// The unit that gets the focus when the window is shown: the first visible, enabled tab
// stop in stored order, else the window itself.
size_t InitialFocusUnit(const WindowState& w) {
  for (size_t i = 1; i < w.units.size(); ++i) {
    platform::HWND h = UnitHwnd(w, i);
    if (!h) continue;
    uint32_t style = platform::GetStyle(h);
    if ((style & platform::WS_TABSTOP) && (style & platform::WS_VISIBLE) &&
        !(style & platform::WS_DISABLED))
      return i;
  }
  return 0;
}

}  // namespace

void InitRuntime(const ProgramImage& program) {
  RuntimeState& s = State();
  if (s.started) return;
  s.started = true;
  s.mainThread = std::this_thread::get_id();
  s.programFolder = platform::Utf8ToGbk(platform::ProgramFolder());
  s.programFileName = platform::Utf8ToGbk(platform::ProgramFileName());
  std::error_code ec;
  if (!platform::ProgramFolder().empty())
    std::filesystem::current_path(platform::ProgramFolder(), ec);  // best effort

  platform::CreateWindowParams p;
  p.style = platform::WS_MESSAGEONLY;
  p.proc = RuntimeWindowProc;
  s.runtimeWindow = platform::CreateWindow(p);

  ErrorHooks hooks;
  hooks.incrementExitCounter = IncrementExitCounter;
  hooks.forgetCleanup = ForgetCleanup;
  hooks.endProgram = EndAfterError;
  SetErrorHooks(hooks);

  RegisterFormUnitTypes();

  s.handlers.assign(program.handlers.begin(), program.handlers.end());
  auto windows = ParseFormDescription(program.formDescription);
  if (!windows) LoadError();
  for (auto& desc : *windows) {
    auto w = std::make_unique<WindowState>();
    w->units.resize(desc.records.size());
    w->desc = std::move(desc);
    ResolveHandlers(*w);
    s.windows.push_back(std::move(w));
  }
}

bool RuntimeStarted() { return State().started; }

void RegisterCleanup(std::function<void()> routine) { State().cleanup = std::move(routine); }

void LoadWindow(uint32_t windowId) {
  WindowState* w = FindWindow(windowId);
  if (!w) RuntimeErrorMessage(platform::gbk("载入启动窗口失败"));
  if (FormAlive(*w)) {
    // Loading a live window again brings it back; while its Created event still runs it
    // stays hidden until the first load shows it.
    if (w->loaded) platform::ShowWindow(w->hwnd, true);
    return;
  }
  w->loading = true;

  // The window object, hidden until its events have run.
  CreateInfo formInfo = MakeCreateInfo(*w, 0, 0, 0);
  formInfo.flags &= ~uint32_t(kUnitVisible);
  auto form = CreateUnit(formInfo);
  if (!form || !form->Hwnd()) FailLoad(*w);
  w->hwnd = form->Hwnd();
  w->units[0].live = std::move(form);

  CreateComponents(*w);
  StackComponents(*w);

  // Mouse pointers are kept as property values only; every unit shows the arrow.
  for (size_t i = w->units.size() - 1; i >= 1; --i) w->units[i].live->OnCreationComplete();
  w->units[0].live->OnCreationComplete();

  for (size_t i = 1; i < w->units.size(); ++i) {
    platform::HWND h = UnitHwnd(*w, i);
    const UnitType* type = FindUnitType(w->desc.records[i].typeCode);
    bool hiddenType = type && (type->flags & kUnitInvisibleAtRunTime);
    if (h) platform::ShowWindow(h, !hiddenType && (w->desc.records[i].Flags() & kUnitVisible));
  }
  w->loading = false;

  RaiseFormEvent(*w, kEvCreated);
  if (FormAlive(*w)) RaiseFormEvent(*w, kEvMoved);
  if (FormAlive(*w)) RaiseFormEvent(*w, kEvResized);
  if (!FormAlive(*w)) return;

  size_t focus = InitialFocusUnit(*w);
  platform::HWND focusHwnd = focus ? UnitHwnd(*w, focus) : w->hwnd;
  if (w->desc.records[0].Flags() & kUnitVisible) {
    // FIXME: the start states minimised and maximised show the window normally; the
    // desktop has neither.
    platform::ShowWindow(w->hwnd, true);
    platform::SetFocus(focusHwnd);
    EventRecord ev;
    ev.windowId = w->desc.windowId;
    ev.componentId = focus ? w->desc.records[focus].key : 0;
    ev.eventIndex = kEvGotFocus;
    RaiseEvent(ev);
    if (!FormAlive(*w)) return;
  }

  for (size_t i = 0; i < w->units.size(); ++i)
    if (w->units[i].live) w->units[i].live->OnWindowShown();
  if (FormAlive(*w) && platform::IsWindow(focusHwnd) && platform::IsWindowVisible(w->hwnd))
    platform::SetFocus(focusHwnd);
  w->loaded = FormAlive(*w);
}

platform::HWND FormWindow(uint32_t windowId) {
  WindowState* w = FindWindow(windowId);
  return w && FormAlive(*w) ? w->hwnd : 0;
}

void WindowDestroyed(uint32_t windowId) {
  RuntimeState& s = State();
  WindowState* w = FindWindow(windowId);
  if (!w || w->hwnd == 0) return;
  for (auto& u : w->units)
    if (u.live) s.released.push_back(std::move(u.live));
  w->hwnd = 0;
  w->loaded = false;
  std::erase_if(s.idle, [](const IdleEntry& e) { return !platform::IsWindow(e.window); });
  if (s.exiting || w->loading) return;
  for (auto& other : s.windows)
    if (other->hwnd != 0) return;
  platform::PostQuitMessage(0);
}

Component* FindComponent(uint32_t windowId, uint32_t componentId) {
  WindowState* w = FindWindow(windowId);
  if (!w) return nullptr;
  int i = w->IndexOf(componentId);
  return i < 0 ? nullptr : w->units[size_t(i)].live.get();
}

Component& GetComponent(uint32_t windowId, uint32_t componentId) {
  Component* c = FindComponent(windowId, componentId);
  if (!c) RuntimeErrorMessage(platform::gbk("指定窗口或窗口组件不存在或尚未载入"));
  return *c;
}

void EndProgram(int code) {
  RuntimeState& s = State();
  ++s.exitCounter;
  if (!IsMainThread()) {
    platform::PostMessage(s.runtimeWindow, kEndNotice, uint64_t(uint32_t(code)), 0);
    // The main thread ends the process in order; should it be stuck, end it from here.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    platform::ExitProcess(code);
  }
  s.exiting = true;
  s.idle.clear();
  if (auto cleanup = std::move(s.cleanup)) {
    s.cleanup = nullptr;
    cleanup();
  }
  for (auto& w : s.windows)
    if (w->hwnd && platform::IsWindow(w->hwnd)) platform::DestroyWindow(w->hwnd);
  if (s.runtimeWindow && platform::IsWindow(s.runtimeWindow)) platform::DestroyWindow(s.runtimeWindow);
  // Units are released without returning into any of them: the process ends below.
  CollectReleased();
  StopAllSounds();
  platform::ExitProcess(code);
}

int ExitCounter() { return State().exitCounter; }

bool IsMainThread() {
  const RuntimeState& s = State();
  return !s.started || std::this_thread::get_id() == s.mainThread;
}

platform::HWND RuntimeWindow() { return State().runtimeWindow; }
const std::string& ProgramFolder() { return State().programFolder; }
const std::string& ProgramFileName() { return State().programFileName; }

void ResetRuntimeForTesting() {
  RuntimeState& s = State();
  for (auto& w : s.windows)
    for (auto& u : w->units)
      if (u.live) s.released.push_back(std::move(u.live));
  s.released.clear();
  s.~RuntimeState();
  new (&s) RuntimeState();
}

}  // namespace rt
