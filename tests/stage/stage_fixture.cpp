#include "stage_fixture.h"

#include "platform/host.h"
#include "platform/process.h"
#include "platform/window.h"

namespace stagetest {

void StageFixture::SetUp() {
  platform::ResetForTesting();
  platform::CreateWindowParams p;
  p.title = "stage test";
  p.rect = {0, 0, 320, 240};
  p.style = platform::WS_VISIBLE | platform::WS_CAPTION;
  top_ = platform::CreateWindow(p);
  ASSERT_NE(top_, 0u);
  rt::CreateInfo info;
  info.windowId = kWindowId;
  info.componentId = kStageId;
  info.typeCode = stage::kCartoonBoxType;
  info.parent = top_;
  info.rect = {0, 0, 200, 150};
  info.flags = 1;
  info.childNumber = 100;
  box_ = stage::CartoonBox::Create(info);
  ASSERT_TRUE(box_);
  stage::CartoonBox::SetEventSink([this](rt::EventRecord& ev) {
    SeenEvent seen{ev.eventIndex, {}, platform::GetTickCount()};
    for (uint32_t i = 0; i < ev.argCount; ++i) seen.args.push_back(ev.args[i]);
    events.push_back(seen);
    if (handler) {
      if (auto answer = handler(ev)) {
        ev.resultPresent = 1;
        ev.result = *answer;
      }
    }
    return true;
  });
}

void StageFixture::TearDown() {
  stage::CartoonBox::SetEventSink(nullptr);
  handler = nullptr;
  box_.reset();
}

void StageFixture::DestroyStage() { box_.reset(); }

uint32_t StageFixture::Now() const { return platform::GetTickCount(); }

void StageFixture::RunUntil(uint32_t ms) {
  // Stops at `ms` itself: the stage's clock sleeps when nothing is due, so the next
  // message may lie well past it.
  platform::RunMessagesUntil(ms);
}

void StageFixture::RunFor(uint32_t ms) { RunUntil(Now() + ms); }

std::vector<SeenEvent> StageFixture::EventsOf(int slot) const {
  std::vector<SeenEvent> out;
  for (const SeenEvent& e : events)
    if (e.slot == slot) out.push_back(e);
  return out;
}

std::unique_ptr<stage::CartoonObject> StageFixture::Template(const std::vector<uint8_t>& picture,
                                                             stage::TemplateSettings s) {
  s.picture = picture;
  return std::make_unique<stage::CartoonObject>(std::move(s));
}

}  // namespace stagetest
