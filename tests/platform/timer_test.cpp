#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "message_log.h"
#include "platform/process.h"

using namespace platform;
using namespace platform::testing;
using ::testing::ElementsAre;

class Timers : public ::testing::Test {
 protected:
  void SetUp() override { ResetForTesting(); }

  // Records the virtual time of every tick of every timer of `h`.
  HWND TickRecorder(std::vector<std::pair<uint32_t, uint32_t>>& ticks) {
    return MakeTop([&ticks](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
      if (m == WM_TIMER) ticks.push_back({uint32_t(w), GetTickCount()});
      return DefWindowProc(h, m, w, l);
    });
  }
};

TEST_F(Timers, TickExactlyOnVirtualTime) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  SetTimer(top, 1, 15);
  SetTimer(top, 2, 50);
  RunMessagesUntil(100);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 15u}, std::pair{1u, 30u}, std::pair{1u, 45u},
                                 std::pair{2u, 50u}, std::pair{1u, 60u}, std::pair{1u, 75u},
                                 std::pair{1u, 90u}, std::pair{2u, 100u}));
}

TEST_F(Timers, ExpiriesWhileBusyMergeIntoOneTick) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  SetTimer(top, 1, 10);
  RunMessagesUntil(0);
  // The thread is busy for 55 ms: five expiries pass, one tick is owed.
  GetHost().WaitUntil(55);
  Drain();
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(ticks[0].second, 55u);
  // The period keeps its grid: the next tick is at 60, not at 65.
  RunMessagesUntil(60);
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_EQ(ticks[1].second, 60u);
}

TEST_F(Timers, PendingTickIsNotDuplicatedByLaterExpiries) {
  HWND top = MakeTop(nullptr);
  SetTimer(top, 4, 10);
  RunMessagesUntil(0);
  GetHost().WaitUntil(10);
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_NOREMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_TIMER));
  GetHost().WaitUntil(35);
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_TIMER));
  EXPECT_FALSE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(NextTimerDeadline(), 40u);
}

TEST_F(Timers, KillStopsAndDropsThePendingTick) {
  HWND top = MakeTop(nullptr);
  SetTimer(top, 1, 10);
  RunMessagesUntil(0);
  GetHost().WaitUntil(10);
  EXPECT_TRUE(KillTimer(top, 1));
  EXPECT_FALSE(KillTimer(top, 1));
  Message m;
  EXPECT_FALSE(PeekMessage(m, PM_REMOVE));
  EXPECT_FALSE(NextTimerDeadline().has_value());
}

TEST_F(Timers, ResettingRestartsThePeriod) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  SetTimer(top, 1, 20);
  RunMessagesUntil(15);
  SetTimer(top, 1, 20);
  RunMessagesUntil(40);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 35u}));
  EXPECT_FALSE(SetTimer(0x999, 1, 10)) << "no such window";
}

TEST_F(Timers, TicksDueTogetherComeInCreationOrder) {
  // (window, timer id) per tick; the ids run against creation order on purpose.
  std::vector<std::pair<HWND, uint32_t>> order;
  auto record = [&order](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == WM_TIMER) order.push_back({h, uint32_t(w)});
    return DefWindowProc(h, m, w, l);
  };
  HWND a = MakeTop(record), b = MakeTop(record);
  SetTimer(a, 3, 10);
  SetTimer(b, 1, 10);
  SetTimer(a, 2, 20);
  RunMessagesUntil(20);
  EXPECT_THAT(order, ElementsAre(std::pair{a, 3u}, std::pair{b, 1u},    // at 10
                                 std::pair{a, 3u}, std::pair{b, 1u}, std::pair{a, 2u}));  // at 20
  // Setting an existing timer again keeps its place; so do ticks owed while busy.
  order.clear();
  SetTimer(a, 3, 10);
  GetHost().WaitUntil(45);
  Drain();
  EXPECT_THAT(order, ElementsAre(std::pair{a, 3u}, std::pair{b, 1u}, std::pair{a, 2u}));
}

TEST_F(Timers, ZeroPeriodStillLetsTimePass) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  SetTimer(top, 1, 0);
  RunMessagesUntil(3);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 1u}, std::pair{1u, 2u}, std::pair{1u, 3u}));
}

TEST_F(Timers, AMinuteOfVirtualTimeIsDeterministic) {
  auto run = [] {
    ResetForTesting();
    std::vector<std::pair<uint32_t, uint32_t>> ticks;
    HWND top = MakeTop([&ticks](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
      if (m == WM_TIMER) {
        ticks.push_back({uint32_t(w), GetTickCount()});
        if (w == 2) InvalidateRect(h, nullptr);
      }
      return DefWindowProc(h, m, w, l);
    });
    SetTimer(top, 1, 5);
    SetTimer(top, 2, 15);
    SetTimer(top, 3, 200);
    RunMessagesUntil(60000);
    return ticks;
  };
  auto first = run();
  EXPECT_EQ(first.size(), 12000u + 4000u + 300u);
  EXPECT_EQ(first, run());
}

// ---- sleeping timers ---------------------------------------------------------------

class SleepingTimers : public Timers {
 protected:
  // A period-5 timer on `h` whose owner says it has something to do from `dueAt` on
  // (nullopt: nothing); every tick left out is recorded.
  void Sleep(HWND h, uint32_t id) {
    TimerSleep s;
    s.nextDue = [this](uint32_t now) -> std::optional<uint32_t> {
      if (!dueAt) return std::nullopt;
      return std::max(now, *dueAt);
    };
    s.skipped = [this](uint32_t t) { skipped.push_back(t); };
    SetTimer(h, id, 5);
    SetTimerSleep(h, id, std::move(s));
  }
  std::optional<uint32_t> dueAt;
  std::vector<uint32_t> skipped;
};

TEST_F(SleepingTimers, TicksOnlyOnItsGridOnceSomethingIsDue) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  dueAt = 23;
  Sleep(top, 1);
  RunMessagesUntil(0);
  // Asleep until the first grid point at or after 23; the clock jumps straight there.
  EXPECT_EQ(NextTimerDeadline(), 25u);
  RunMessagesUntil(34);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 25u}, std::pair{1u, 30u}));
  EXPECT_THAT(skipped, ElementsAre(5u, 10u, 15u, 20u));
  // Nothing due any more: it stays away, but never longer than a second.
  dueAt.reset();
  skipped.clear();
  ASSERT_TRUE(NextTimerDeadline().has_value());
  EXPECT_EQ(*NextTimerDeadline(), 1035u);
  RunMessagesUntil(2000);
  EXPECT_EQ(ticks.size(), 2u);
  ASSERT_FALSE(skipped.empty());
  EXPECT_EQ(skipped.front(), 35u);
  for (size_t i = 1; i < skipped.size(); ++i) EXPECT_EQ(skipped[i] - skipped[i - 1], 5u);
}

TEST_F(SleepingTimers, AMessageWakesItOnTheNextGridPoint) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = MakeTop([&](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == WM_TIMER) ticks.push_back({uint32_t(w), GetTickCount()});
    if (m == WM_USER) dueAt = GetTickCount();  // the message makes work for the clock
    return DefWindowProc(h, m, w, l);
  });
  Sleep(top, 1);
  RunMessagesUntil(0);
  RunMessagesUntil(12);
  EXPECT_TRUE(ticks.empty());
  PostMessage(top, WM_USER, 0, 0);
  RunMessagesUntil(16);
  // At 15, the grid point after the message, as an always-ticking clock would see it.
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 15u}));
  EXPECT_THAT(skipped, ElementsAre(5u, 10u));
}

TEST_F(SleepingTimers, ATickDueWithAnEarlierTimersTickIsDecidedAfterIt) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = MakeTop([&](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == WM_TIMER) ticks.push_back({uint32_t(w), GetTickCount()});
    if (m == WM_TIMER && w == 2) dueAt = GetTickCount();  // the game timer starts work
    return DefWindowProc(h, m, w, l);
  });
  SetTimer(top, 2, 20);  // created first: runs first when both expire together
  Sleep(top, 1);
  RunMessagesUntil(25);
  // At 20 the game timer ran first; the clock's tick at 20 then had work and ran.
  EXPECT_THAT(ticks, ElementsAre(std::pair{2u, 20u}, std::pair{1u, 20u}, std::pair{1u, 25u}));
  EXPECT_THAT(skipped, ElementsAre(5u, 10u, 15u));
}

TEST_F(SleepingTimers, ADecisionEndsWithItsWaitSoStateSetBetweenPumpsIsSeen) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  Sleep(top, 1);
  RunMessagesUntil(12);
  EXPECT_TRUE(ticks.empty());
  // The caller gives the clock work outside any message, and time passes before it pumps
  // again (a real clock runs on): the expiry at 15 is owed as if it had never slept.
  dueAt = 12;
  GetHost().WaitUntil(17);
  RunMessagesUntil(20);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 17u}, std::pair{1u, 20u}));
  EXPECT_THAT(skipped, ElementsAre(5u, 10u));
  // A question about the deadline decides nothing: the same holds after it.
  dueAt.reset();
  ASSERT_TRUE(NextTimerDeadline().has_value());
  dueAt = 20;
  GetHost().WaitUntil(31);
  RunMessagesUntil(31);
  EXPECT_THAT(ticks, ElementsAre(std::pair{1u, 17u}, std::pair{1u, 20u}, std::pair{1u, 31u}));
}

TEST_F(SleepingTimers, WaitMessageUntilStopsAtItsTimeWhileEveryTimerSleeps) {
  std::vector<std::pair<uint32_t, uint32_t>> ticks;
  HWND top = TickRecorder(ticks);
  Sleep(top, 1);
  RunMessagesUntil(0);  // the window's first paint
  // Nothing is due: no message comes, and the clock stops at the time asked for, not at
  // the longest sleep.
  EXPECT_FALSE(WaitMessageUntil(400));
  EXPECT_EQ(GetTickCount(), 400u);
  EXPECT_TRUE(ticks.empty());
  // Work from 423 on: the tick at 425 can be taken, before the time asked for.
  dueAt = 423;
  EXPECT_TRUE(WaitMessageUntil(1000));
  EXPECT_EQ(GetTickCount(), 425u);
  Message m;
  ASSERT_TRUE(GetMessage(m));
  EXPECT_EQ(m.message, uint32_t(WM_TIMER));
  // A posted message is there at once.
  PostMessage(top, WM_USER, 0, 0);
  EXPECT_TRUE(WaitMessageUntil(2000));
  EXPECT_EQ(GetTickCount(), 425u);
}
