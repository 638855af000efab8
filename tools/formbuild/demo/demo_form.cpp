#include "tools/formbuild/demo/demo_form.h"

#include <string>

#include "platform/text.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/runtime.h"
#include "tv_formdemo_description.h"

namespace formdemo {

namespace {
constexpr uint32_t kClockLabel = 0x16020003;
int seconds = 0;
}  // namespace

std::optional<int64_t> DemoCreated(const rt::EventRecord&) { return std::nullopt; }

std::optional<int64_t> DemoCloseRequested(const rt::EventRecord&) { rt::EndProgram(0); }

std::optional<int64_t> DemoTick(const rt::EventRecord&) {
  ++seconds;
  rt::PropValue v;
  v.text = platform::gbk("已运行 " + std::to_string(seconds) + " 秒");
  rt::WritePropertyValue(kDemoWindowId, kClockLabel, 8, -1, v);
  return std::nullopt;
}

std::optional<int64_t> DemoKeyDown(const rt::EventRecord&) { return std::nullopt; }

void RunDemoForm() {
  rt::InitRuntime(FormProgram());
  rt::RegisterCoreUnitTypes();
  rt::LoadWindow(kDemoWindowId);
  rt::RunMessageLoop();
  rt::EndProgram(0);
}

}  // namespace formdemo

int RunDemoForm() { formdemo::RunDemoForm(); }
