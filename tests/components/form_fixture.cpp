#include "form_fixture.h"

#include "platform/host.h"
#include "platform/window.h"
#include "runtime/components/core_types.h"
#include "runtime/forms/form_description.h"
#include "runtime/forms/runtime.h"
#include "tools/formbuild/form_source.h"

namespace comptest {

HandlerLog& Handlers() {
  static HandlerLog log;
  return log;
}

namespace {

std::optional<int64_t> OnCreated(const rt::EventRecord&) {
  Handlers().createdSawVisible = platform::IsWindowVisible(rt::FormWindow(kWindow));
  return std::nullopt;
}

std::optional<int64_t> OnCloseRequested(const rt::EventRecord&) {
  ++Handlers().closeRequests;
  return Handlers().closeResult;
}

const rt::Handler kHandlers[] = {&OnCreated, &OnCloseRequested};
std::vector<uint8_t> description;

}  // namespace

void ComponentTest::SetUp() {
  rt::ResetRuntimeForTesting();
  platform::ResetForTesting();
  Handlers() = HandlerLog{};
}

void ComponentTest::TearDown() { rt::ResetRuntimeForTesting(); }

void ComponentTest::LoadSource(const std::string& source) {
  auto form = formbuild::BuildForm(source, {"OnCreated", "OnCloseRequested"}, {});
  description = rt::EncodeFormDescription(form.windows);
  rt::InitRuntime({description, kHandlers});
  rt::RegisterCoreUnitTypes();
  rt::LoadWindow(kWindow);
}

platform::HWND ComponentTest::Hwnd(uint32_t componentId) const {
  rt::Component* c = rt::FindComponent(kWindow, componentId);
  return c ? c->Hwnd() : 0;
}

const platform::Surface& ComponentTest::Frame() {
  platform::UpdateAllWindows();
  const platform::Surface* s = platform::GetWindowFrame(rt::FormWindow(kWindow));
  static platform::Surface empty;
  return s ? *s : empty;
}

int ComponentTest::CountColour(const platform::Rect& r, platform::COLORREF c) {
  const platform::Surface& s = Frame();
  platform::Rect clip = platform::Intersect(r, s.Bounds());
  int n = 0;
  for (int y = clip.top; y < clip.bottom; ++y)
    for (int x = clip.left; x < clip.right; ++x)
      if ((s.At(x, y) & 0xFFFFFF) == (platform::ToPixel(c) & 0xFFFFFF)) ++n;
  return n;
}

}  // namespace comptest
