// Moves, borders, collisions and watched keys on a live 200 x 150 stage.
#include <gtest/gtest.h>

#include "platform/window.h"
#include "stage_fixture.h"
#include "test_pictures.h"

using namespace stage;
using namespace stagetest;

namespace {

class MotionTest : public StageFixture {
 protected:
  // A 10 x 10 picture with a solid 6 x 6 centre and a 2-pixel transparent margin.
  int Make(double x, double y, int type = 1, bool collide = true) {
    if (!tmpl_) tmpl_ = Template(ShapeGif(10, 10, 2, 2, 8, 8));
    const int id = box().CreateObject(tmpl_.get(), x, y);
    box().SetTypeValue(id, type);
    box().SetCollision(id, collide);
    return id;
  }
  std::vector<int> Slots() const {
    std::vector<int> s;
    for (const auto& e : events) s.push_back(e.slot);
    return s;
  }
  std::unique_ptr<CartoonObject> tmpl_;
};

}  // namespace

TEST_F(MotionTest, SubPixelMovesAreSilent) {
  const int id = Make(50.2, 50.7);
  box().SetPosition(id, 50.9, 50.1, true);
  box().SetPosition(id, 50.95, 50.99, false);
  EXPECT_TRUE(events.empty());
  EXPECT_DOUBLE_EQ(box().FindObject(id)->x, 50.95);
  box().SetPosition(id, 51.0, 50.99, false);
  EXPECT_EQ(Slots(), (std::vector<int>{kPositionChanging, kPositionChanged}));
  EXPECT_EQ(events[0].args, (std::vector<int>{id, 51, 50}));
}

TEST_F(MotionTest, PlainMoveRaisesNoBorderOrCollisionEvents) {
  Make(30, 30, 2);
  const int m = Make(0, 30);
  box().SetPosition(m, 30, 30);       // onto the other object
  box().SetPosition(m, -100, 30);     // off the stage
  EXPECT_EQ(Slots(), (std::vector<int>{kPositionChanging, kPositionChanged, kPositionChanging,
                                       kPositionChanged}));
}

TEST_F(MotionTest, LeavingTheStageRaisesOutOfBorderWithoutBorderHit) {
  const int id = Make(100, 100);
  box().SetPosition(id, 250, 100, true);
  EXPECT_EQ(Slots(), (std::vector<int>{kPositionChanging, kPositionChanged, kOutOfBorder}));
  events.clear();
  // Only the transparent margin inside: still out.
  box().SetPosition(id, 198, 100, true);
  EXPECT_EQ(Slots().back(), kOutOfBorder);
}

TEST_F(MotionTest, SolidPixelsCrossingLeftAndTopGiveBits3) {
  const int id = Make(50, 50);
  box().SetPosition(id, -4, -3, true);
  ASSERT_EQ(EventsOf(kBorderHit).size(), 1u);
  EXPECT_EQ(EventsOf(kBorderHit)[0].args, (std::vector<int>{id, 50, 50, 3}));
  events.clear();
  box().SetPosition(id, -2, 20, true);  // only the margin crosses
  EXPECT_TRUE(EventsOf(kBorderHit).empty());
  box().SetPosition(id, 195, 145, true);
  ASSERT_EQ(EventsOf(kBorderHit).size(), 1u);
  EXPECT_EQ(EventsOf(kBorderHit)[0].args[3], 4 | 8);
}

TEST_F(MotionTest, BorderHitStartsAtTheFirstColumnPastTheEdge) {
  // The solid 6 x 6 centre spans frame columns 2..7; the stage is 200 wide.
  const int id = Make(100, 50);
  box().SetPosition(id, 192, 50, true);  // last solid column on 199: still inside
  box().SetPosition(id, 100, 50, true);
  box().SetPosition(id, -2, 50, true);   // first solid column on 0
  EXPECT_TRUE(EventsOf(kBorderHit).empty());
  box().SetPosition(id, 100, 50, true);
  box().SetPosition(id, 193, 50, true);  // one column on 200
  box().SetPosition(id, 100, 50, true);
  box().SetPosition(id, -3, 50, true);   // one column on -1
  const auto hits = EventsOf(kBorderHit);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].args, (std::vector<int>{id, 100, 50, 4}));
  EXPECT_EQ(hits[1].args, (std::vector<int>{id, 100, 50, 1}));
}

TEST_F(MotionTest, EqualTypesDifferentLayersAndDisabledNeverCollide) {
  const int same = Make(40, 40, 1);
  const int off = Make(80, 40, 2, /*collide*/ false);
  const int other = Make(120, 40, 2);
  box().SetLayer(other, 1);
  const int m = Make(0, 40, 1);
  for (int x : {40, 80, 120}) box().SetPosition(m, x, 40, true);
  EXPECT_TRUE(EventsOf(kObjectCollided).empty());
  // A mover that does not allow collisions never reports one either.
  const int quiet = Make(0, 80, 3, false);
  box().SetPosition(quiet, 40, 40, true);
  EXPECT_TRUE(EventsOf(kObjectCollided).empty());
  (void)same;
  (void)off;
}

TEST_F(MotionTest, LastCollidedReportedOncePerContactAndAgainAfterSeparation) {
  const int a = Make(50, 50, 2);
  const int b = Make(54, 50, 3);  // above a in the list
  const int m = Make(20, 50, 1);
  box().SetPosition(m, 45, 50, true);  // touches a only
  box().SetPosition(m, 46, 50, true);  // still a: silent
  box().SetPosition(m, 52, 50, true);  // b is topmost now
  box().SetPosition(m, 53, 50, true);  // still b: silent
  box().SetPosition(m, 100, 50, true);  // free
  box().SetPosition(m, 46, 50, true);  // a again
  auto hits = EventsOf(kObjectCollided);
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_EQ(hits[0].args, (std::vector<int>{m, 20, 50, a}));
  EXPECT_EQ(hits[1].args, (std::vector<int>{m, 46, 50, b}));
  EXPECT_EQ(hits[2].args, (std::vector<int>{m, 100, 50, a}));
}

TEST_F(MotionTest, OnlyTopmostPartnerIsReported) {
  const int low = Make(50, 50, 2);
  const int high = Make(50, 50, 3);
  const int m = Make(0, 50, 1);
  box().SetPosition(m, 50, 50, true);
  ASSERT_EQ(EventsOf(kObjectCollided).size(), 1u);
  EXPECT_EQ(EventsOf(kObjectCollided)[0].args[3], high);
  EXPECT_EQ(box().FindOverlapping(m), high);
  // With collision rules the mover itself (topmost, another type) is found first.
  EXPECT_EQ(box().FindOverlapping(low, std::nullopt, std::nullopt, std::nullopt, true), m);
  box().SetTag(low, "x");
  EXPECT_EQ(box().FindOverlapping(m, std::nullopt, std::nullopt, std::string("x")), low);
  // Transparent margins alone do not overlap.
  EXPECT_EQ(box().FindOverlapping(m, 55, 50), high);
  EXPECT_EQ(box().FindOverlapping(m, 56, 50), -1);
}

TEST_F(MotionTest, VetoKeepsThePositionAndStopsTheMove) {
  const int id = Make(10, 10);
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kPositionChanging) return 0;
    return std::nullopt;
  };
  box().SetPosition(id, -50, 10, true);
  EXPECT_EQ(Slots(), std::vector<int>{kPositionChanging});
  EXPECT_EQ(box().GetX(id), 10);
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kPositionChanging) return 1;
    return std::nullopt;
  };
  box().SetPosition(id, 20, 10);
  EXPECT_EQ(box().GetX(id), 20);
}

TEST_F(MotionTest, NestedMoveFromPositionChangingCompletesFirst) {
  const int id = Make(10, 10);
  bool nested = false;
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kPositionChanging && !nested) {
      nested = true;
      box().SetPosition(id, 30, 30);
    }
    return std::nullopt;
  };
  box().SetPosition(id, 60, 60);
  std::vector<std::vector<int>> order;
  for (const auto& e : events) order.push_back({e.slot, e.args[1], e.args[2]});
  EXPECT_EQ(order, (std::vector<std::vector<int>>{{kPositionChanging, 60, 60},
                                                  {kPositionChanging, 30, 30},
                                                  {kPositionChanged, 30, 30},
                                                  {kPositionChanged, 60, 60}}));
  EXPECT_EQ(box().GetX(id), 60);
}

TEST_F(MotionTest, HandlerDestroyingTheMoverEndsTheMove) {
  const int other = Make(100, 10, 2);
  const int id = Make(10, 10);
  handler = [&](const rt::EventRecord& ev) -> std::optional<int64_t> {
    if (ev.eventIndex == kPositionChanged) {
      const int ids[] = {ev.args[0]};
      box().DestroyObjects(ids);
    }
    return std::nullopt;
  };
  EXPECT_EQ(box().ForwardMove(id, 100, 10), kObjectGone);
  EXPECT_TRUE(EventsOf(kObjectCollided).empty());
  EXPECT_TRUE(box().ObjectExists(other));
}

TEST_F(MotionTest, WatchedKeysRespectIntervalAndOneEventPerTick) {
  const int keys[] = {platform::VK_RIGHT, 0, platform::VK_SPACE};
  box().MonitorKeys(20, keys);
  platform::PostKeyInput(platform::VK_RIGHT, true);
  platform::PostKeyInput(platform::VK_SPACE, true);
  platform::PostKeyInput(platform::VK_SHIFT, true);
  const uint32_t start = Now();
  RunFor(100);
  auto seen = EventsOf(kWatchedKeyDown);
  ASSERT_GE(seen.size(), 6u);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_NE(seen[i].time, seen[i - 1].time);
  std::vector<uint32_t> rightTimes;
  for (const auto& e : seen) {
    EXPECT_EQ(e.args[1], 2);  // Shift
    if (e.args[0] == platform::VK_RIGHT) rightTimes.push_back(e.time);
  }
  ASSERT_GE(rightTimes.size(), 3u);
  for (size_t i = 1; i < rightTimes.size(); ++i) EXPECT_EQ(rightTimes[i] - rightTimes[i - 1], 20u);
  EXPECT_TRUE(CartoonBox::IsKeyDown(platform::VK_SPACE));
  platform::PostKeyInput(platform::VK_RIGHT, false);
  platform::PostKeyInput(platform::VK_SPACE, false);
  RunFor(10);
  events.clear();
  RunFor(60);
  EXPECT_TRUE(EventsOf(kWatchedKeyDown).empty());
  EXPECT_FALSE(CartoonBox::IsKeyDown(platform::VK_SPACE));
  (void)start;
}

// A cursor resting over an object keeps nothing due; once the host has it outside the
// window (no message reaches the stage then), the next grid point reports the leave.
TEST_F(MotionTest, ACursorRestingOverAnObjectLetsTheClockSleepUntilItLeavesTheWindow) {
  auto still = Template(ShapeGif(10, 10, 2, 2, 8, 8));
  const int id = box().CreateObject(still.get(), 0, 0);
  platform::PostMouseInput(top_, platform::WM_MOUSEMOVE, {5, 5});
  RunFor(10);
  ASSERT_EQ(EventsOf(kObjectEnter).size(), 1u);
  const uint32_t grid = Now() % 5;
  EXPECT_GT(*platform::NextTimerDeadline() - Now(), 500u);
  platform::PostMouseInput(top_, platform::WM_MOUSEMOVE, {-50, -50});
  RunFor(10);
  const auto left = EventsOf(kObjectLeave);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].args.front(), id);
  EXPECT_EQ(left[0].time % 5, grid);
  EXPECT_GT(*platform::NextTimerDeadline() - Now(), 500u);
}

// The clock keeps its 5 ms grid but wakes only for work: a frame, a lifetime, a held key.
TEST_F(MotionTest, ClockSleepsUntilAFrameALifetimeOrAHeldKeyIsDue) {
  auto still = Template(ShapeGif(10, 10, 2, 2, 8, 8));
  box().CreateObject(still.get(), 0, 0);
  RunFor(10);
  const uint32_t grid = Now() % 5;
  auto sleepsFor = [&] { return *platform::NextTimerDeadline() - Now(); };
  EXPECT_GT(sleepsFor(), 500u);  // nothing due

  // An animation of 20 ms frames: woken for each frame, on a grid point.
  auto moving = Template(SolidFramesGif(4, 4, 4, 2));
  const int id = box().CreateObject(moving.get(), 20, 0);
  box().PlayAnimation(id, 0);
  RunFor(10);
  EXPECT_LE(sleepsFor(), 20u);
  EXPECT_EQ(*platform::NextTimerDeadline() % 5, grid);
  box().DestroyObjects(std::span<const int>(&id, 1));

  // A lifetime: the expiry's grid point.
  TemplateSettings shortLived;
  shortLived.existTime = 300;
  auto brief = Template(ShapeGif(10, 10, 2, 2, 8, 8), shortLived);
  const int gone = box().CreateObject(brief.get(), 40, 0);
  RunFor(5);
  EXPECT_LE(sleepsFor(), 300u);
  RunFor(300);
  EXPECT_FALSE(box().ObjectExists(gone));
  EXPECT_GT(sleepsFor(), 500u);

  // A held watched key: a key pressed while asleep is seen on the next grid point,
  // then every interval.
  const int keys[] = {platform::VK_RIGHT};
  box().MonitorKeys(30, keys);
  RunFor(2);
  events.clear();
  platform::PostKeyInput(platform::VK_RIGHT, true);
  const uint32_t pressed = Now();
  RunFor(100);
  auto seen = EventsOf(kWatchedKeyDown);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_LT(seen[0].time - pressed, 5u);
  EXPECT_EQ(seen[0].time % 5, grid);
  EXPECT_EQ(seen[1].time - seen[0].time, 30u);
  EXPECT_LE(sleepsFor(), 30u);
  platform::PostKeyInput(platform::VK_RIGHT, false);
  RunFor(5);
  EXPECT_GT(sleepsFor(), 500u);
}
