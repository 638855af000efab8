// A stage in a headless window on virtual time, with its events recorded and an
// optional handler that can answer or act inside any event.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"

namespace stagetest {

struct SeenEvent {
  int slot;
  std::vector<int> args;
  uint32_t time;
};

class StageFixture : public ::testing::Test {
 protected:
  static constexpr uint32_t kWindowId = 0x52010001;
  static constexpr uint32_t kStageId = 0x16010001;

  void SetUp() override;
  void TearDown() override;

  // Runs the message loop until virtual time reaches `ms` (absolute).
  void RunUntil(uint32_t ms);
  void RunFor(uint32_t ms);
  uint32_t Now() const;
  // Handler run inside every event; return a value to answer it.
  std::function<std::optional<int64_t>(const rt::EventRecord&)> handler;
  std::vector<SeenEvent> events;
  std::vector<SeenEvent> EventsOf(int slot) const;

  std::unique_ptr<stage::CartoonObject> Template(const std::vector<uint8_t>& picture,
                                                 stage::TemplateSettings s = {});
  stage::CartoonBox& box() { return *box_; }
  void DestroyStage();

  platform::HWND top_ = 0;
  std::unique_ptr<stage::CartoonBox> box_;
};

}  // namespace stagetest
