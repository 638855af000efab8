#include "test_program.h"

#include <map>

#include "forms_test_form.h"
#include "platform/host.h"
#include "platform/process.h"
#include "platform/window.h"
#include "runtime/components/core_types.h"

namespace formtest {

Log& TheLog() {
  static Log log;
  return log;
}

ProbeLog& Probe(uint32_t componentId) {
  static std::map<uint32_t, ProbeLog> probes;
  return probes[componentId];
}

namespace {

// A bare window component that records the key messages dispatched to it.
class ProbeUnit : public rt::Component {
 public:
  explicit ProbeUnit(const rt::CreateInfo& ci) : id_(ci.componentId) {
    platform::CreateWindowParams p;
    p.parent = ci.parent;
    p.rect = ci.rect;
    p.style = platform::WS_CHILD | ((ci.flags & 4) ? platform::WS_TABSTOP : 0u);
    p.childId = ci.childNumber;
    p.proc = [id = id_](platform::HWND h, uint32_t msg, uint64_t w, int64_t l) {
      if (msg == platform::WM_KEYDOWN || msg == platform::WM_CHAR || msg == platform::WM_KEYUP)
        Probe(id).messages.push_back({h, msg, w, l, 0});
      return platform::DefWindowProc(h, msg, w, l);
    };
    hwnd_ = platform::CreateWindow(p);
  }
  ~ProbeUnit() override {
    if (platform::IsWindow(hwnd_)) platform::DestroyWindow(hwnd_);
  }
  platform::HWND Hwnd() const override { return hwnd_; }
  rt::PropValue ReadProperty(int) override { return {}; }
  bool WriteProperty(int, const rt::PropValue&) override { return false; }

 private:
  uint32_t id_;
  platform::HWND hwnd_ = 0;
};

void RegisterProbeType() {
  rt::UnitType t;
  t.englishName = "Probe";
  t.typeCode = kProbeType;
  t.flags = rt::kUnitRaisesEvents | rt::kUnitIsWindowComponent;
  t.properties = rt::PropertyTable({});
  t.create = [](const rt::CreateInfo& ci) -> std::unique_ptr<rt::Component> {
    return std::make_unique<ProbeUnit>(ci);
  };
  rt::RegisterUnitType(std::move(t));
}

void DispatchOne(platform::Message& m) {
  if (!rt::PreFilterMessage(m)) platform::DispatchMessage(m);
}

}  // namespace

void PumpUntil(uint32_t ms) {
  platform::Message m;
  while (platform::GetTickCount() < ms) {
    if (!platform::WaitMessageUntil(ms)) break;
    if (!platform::GetMessage(m)) return;
    DispatchOne(m);
  }
  PumpPending();
}

void PumpPending() {
  platform::Message m;
  for (int n = 0; n < 10000 && platform::PeekMessage(m, platform::PM_REMOVE); ++n) {
    if (m.message == platform::WM_QUIT) return;
    DispatchOne(m);
  }
}

void FormTest::SetUp() {
  rt::ResetRuntimeForTesting();
  platform::ResetForTesting();
  TheLog() = Log{};
  Probe(kProbeA) = {};
  Probe(kProbeB) = {};
}

void FormTest::TearDown() { rt::ResetRuntimeForTesting(); }

void FormTest::Load() {
  rt::InitRuntime(FormProgram());
  rt::RegisterCoreUnitTypes();
  RegisterProbeType();
  rt::LoadWindow(kWindow);
}

platform::HWND FormTest::Hwnd(uint32_t componentId) const {
  rt::Component* c = rt::FindComponent(kWindow, componentId);
  return c ? c->Hwnd() : 0;
}

// ---- the handlers -------------------------------------------------------------------

std::optional<int64_t> OnCreated(const rt::EventRecord&) {
  Log& log = TheLog();
  log.order.push_back("Created");
  log.formVisibleInCreated = platform::IsWindowVisible(rt::FormWindow(kWindow));
  log.labelWidthInCreated = rt::ReadProperty(kWindow, kLabel, rt::kPropWidth);
  return std::nullopt;
}

std::optional<int64_t> OnCloseRequested(const rt::EventRecord&) {
  TheLog().order.push_back("CloseRequested");
  if (TheLog().onClose) TheLog().onClose();
  return TheLog().closeResult;
}

std::optional<int64_t> OnEvent3(const rt::EventRecord&) {
  TheLog().order.push_back("Event3");
  return std::nullopt;
}

std::optional<int64_t> OnEvent4(const rt::EventRecord&) {
  TheLog().order.push_back("Event4");
  return std::nullopt;
}

std::optional<int64_t> OnFormKeyDown(const rt::EventRecord& ev) {
  TheLog().formKeyDown.push_back({ev.args[0], ev.args[1]});
  return std::nullopt;
}

std::optional<int64_t> OnProbeKeyDown(const rt::EventRecord& ev) {
  TheLog().probeKeyDown.push_back({ev.args[0], ev.args[1]});
  return TheLog().probeKeyDownResult;
}

std::optional<int64_t> OnProbeKeyUp(const rt::EventRecord& ev) {
  TheLog().probeKeyUp.push_back({ev.args[0], ev.args[1]});
  return std::nullopt;
}

std::optional<int64_t> OnProbeCharacter(const rt::EventRecord& ev) {
  TheLog().characters.push_back(ev.args[0]);
  return TheLog().characterResult;
}

std::optional<int64_t> OnProbeGotFocus(const rt::EventRecord&) {
  TheLog().order.push_back("GotFocus");
  ++TheLog().gotFocus;
  return std::nullopt;
}

std::optional<int64_t> OnFastTick(const rt::EventRecord&) {
  TheLog().fastTicks.push_back(platform::GetTickCount());
  if (TheLog().onFastTick) TheLog().onFastTick();
  return std::nullopt;
}

std::optional<int64_t> OnStoppedTick(const rt::EventRecord&) {
  ++TheLog().stoppedTicks;
  if (TheLog().onStoppedTick) TheLog().onStoppedTick();
  return std::nullopt;
}

}  // namespace formtest
