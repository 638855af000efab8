#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "message_log.h"
#include "platform/process.h"

using namespace platform;
using namespace platform::testing;
using ::testing::ElementsAre;

class Queue : public ::testing::Test {
 protected:
  void SetUp() override { ResetForTesting(); }
  MessageLog log;
};

TEST_F(Queue, PostedFirstThenPaintThenTimer) {
  HWND top = MakeTop(log.Proc());
  SetTimer(top, 7, 10);
  RunMessagesUntil(0);  // the first paint
  InvalidateRect(top, nullptr);
  PostMessage(top, WM_USER, 1, 0);
  PostMessage(top, WM_USER + 1, 2, 0);
  RunMessagesUntil(10);
  std::vector<uint32_t> seen;
  for (const Logged& e : log.entries)
    if (e.message != WM_CREATE) seen.push_back(e.message);
  EXPECT_THAT(seen, ElementsAre(WM_PAINT, WM_USER, WM_USER + 1, WM_PAINT, WM_TIMER));
}

TEST_F(Queue, TimerWaitsWhilePaintIsOwed) {
  HWND top = MakeTop(log.Proc());
  SetTimer(top, 1, 5);
  Message m;
  // Time has reached the tick, but the window still needs painting: paint comes first.
  RunMessagesUntil(0);
  InvalidateRect(top, nullptr);
  GetHost().WaitUntil(5);
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_PAINT));
  DispatchMessage(m);
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_TIMER));
  EXPECT_EQ(m.wParam, 1u);
  EXPECT_FALSE(PeekMessage(m, PM_REMOVE));
}

TEST_F(Queue, PeekWithoutRemoveLeavesTheMessage) {
  HWND top = MakeTop(nullptr);
  PostMessage(top, WM_USER, 5, 6);
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_NOREMOVE));
  EXPECT_TRUE(HasPendingInput());
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_USER));
  EXPECT_EQ(m.lParam, 6);
  EXPECT_FALSE(HasPendingInput());
}

TEST_F(Queue, PostToMissingWindowFails) {
  EXPECT_FALSE(PostMessage(0x4242, WM_USER, 0, 0));
  EXPECT_TRUE(PostMessage(0, WM_USER, 0, 0)) << "thread messages have no window";
}

TEST_F(Queue, QuitComesAfterPostedMessagesAndCarriesTheCode) {
  HWND top = MakeTop(nullptr);
  PostQuitMessage(3);
  PostMessage(top, WM_USER, 0, 0);
  Message m;
  ASSERT_TRUE(GetMessage(m));
  EXPECT_EQ(m.message, uint32_t(WM_USER));
  EXPECT_FALSE(GetMessage(m));
  EXPECT_EQ(m.message, uint32_t(WM_QUIT));
  EXPECT_EQ(int(m.wParam), 3);
}

TEST_F(Queue, PostFromAnotherThreadWakesTheWait) {
  HWND top = MakeTop(nullptr);
  RunMessagesUntil(0);
  std::thread poster([top] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessage(top, WM_USER + 9, 0, 0);
  });
  Message m;
  // No timers and nothing scheduled: only the other thread can deliver something.
  ASSERT_TRUE(GetMessage(m));
  poster.join();
  EXPECT_EQ(m.message, uint32_t(WM_USER + 9));
}

TEST_F(Queue, KeyStateChangesOnlyWhenTheMessageIsTaken) {
  HWND top = MakeTop(log.Proc());
  PostKeyInput(VK_LEFT, true);
  EXPECT_FALSE(GetKeyState(VK_LEFT) & 0x8000) << "still in the queue";
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_NOREMOVE));
  EXPECT_FALSE(GetKeyState(VK_LEFT) & 0x8000) << "peeked, not taken";
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.hwnd, top) << "no focus: the active window gets keys";
  EXPECT_TRUE(GetKeyState(VK_LEFT) & 0x8000);
  PostKeyInput(VK_LEFT, false);
  EXPECT_TRUE(GetKeyState(VK_LEFT) & 0x8000);
  Drain();
  EXPECT_FALSE(GetKeyState(VK_LEFT) & 0x8000);
}

TEST_F(Queue, KeyMessagesCarryRepeatAndReleaseBits) {
  MakeTop(log.Proc());
  PostKeyInput('Q', true);
  PostKeyInput('Q', true);  // auto-repeat
  PostKeyInput('Q', false);
  auto taken = Drain();
  std::vector<Message> keys;
  for (const Message& m : taken)
    if (m.message == WM_KEYDOWN || m.message == WM_KEYUP) keys.push_back(m);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].lParam & (1 << 30), 0);
  EXPECT_NE(keys[1].lParam & (1 << 30), 0);
  EXPECT_NE(uint32_t(keys[2].lParam) & 0x80000000u, 0u);
}

TEST_F(Queue, CharactersFollowPrintableKeys) {
  HWND top = MakeTop(log.Proc());
  SetFocus(top);
  PostKeyInput('Z', true);
  PostKeyInput(VK_NUMPAD0 + 5, true);
  PostKeyInput(VK_SHIFT, true);
  PostKeyInput('Z', true);
  PostKeyInput(VK_LEFT, true);
  std::vector<uint64_t> chars;
  for (const Message& m : Drain())
    if (m.message == WM_CHAR) chars.push_back(m.wParam);
  EXPECT_THAT(chars, ElementsAre('z', '5', 'Z'));
}

TEST_F(Queue, AltTurnsKeysIntoSystemKeys) {
  HWND top = MakeTop(log.Proc());
  SetFocus(top);
  RunMessagesUntil(0);
  PostKeyInput(VK_MENU, true);
  PostKeyInput('X', true);
  PostKeyInput('X', false);
  PostKeyInput(VK_MENU, false);
  PostKeyInput('X', true);
  std::vector<uint32_t> seen;
  for (const Message& m : Drain()) seen.push_back(m.message);
  EXPECT_THAT(seen, ElementsAre(WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP,
                                WM_KEYDOWN, WM_CHAR));
  EXPECT_EQ(GetModifiers(), 0);
}

TEST_F(Queue, ModifiersComeFromTheQueuedKeyState) {
  MakeTop(nullptr);
  PostKeyInput(VK_CONTROL, true);
  PostKeyInput(VK_SHIFT, true);
  Drain();
  EXPECT_EQ(GetModifiers(), 3);
}

TEST_F(Queue, KeysGoToTheFocusWindow) {
  HWND top = MakeTop(log.Proc());
  HWND child = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  SetFocus(child);
  PostKeyInput(VK_SPACE, true);
  auto taken = Drain();
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken[0].hwnd, child);
}

TEST_F(Queue, MouseGoesToTheWindowUnderThePointInItsOwnCoordinates) {
  HWND top = MakeTop(log.Proc(), {0, 0, 200, 200});
  HWND child = MakeChild(top, log.Proc(), {50, 60, 150, 160});
  RunMessagesUntil(0);
  PostMouseInput(top, WM_LBUTTONDOWN, {55, 70});
  auto taken = Drain();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].hwnd, child);
  EXPECT_EQ(LParamX(taken[0].lParam), 5);
  EXPECT_EQ(LParamY(taken[0].lParam), 10);
  EXPECT_EQ(taken[0].wParam & MK_LBUTTON, uint64_t(MK_LBUTTON));
  EXPECT_TRUE(GetKeyState(VK_LBUTTON) & 0x8000);
}

TEST_F(Queue, CaptureTakesMouseInputOutsideTheWindow) {
  HWND top = MakeTop(nullptr, {0, 0, 200, 200});
  HWND child = MakeChild(top, nullptr, {50, 60, 150, 160});
  SetCapture(child);
  PostMouseInput(top, WM_MOUSEMOVE, {10, 20});
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.hwnd, child);
  EXPECT_EQ(LParamX(m.lParam), -40);
  EXPECT_EQ(LParamY(m.lParam), -40);
  EXPECT_EQ(GetCursorPos(), (Point{10, 20}));
  ReleaseCapture();
  PostMouseInput(top, WM_MOUSEMOVE, {10, 20});
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.hwnd, top);
}

TEST_F(Queue, DisabledWindowsTakeNoClicks) {
  HWND top = MakeTop(nullptr, {0, 0, 200, 200});
  HWND child = MakeChild(top, nullptr, {0, 0, 100, 100});
  EnableWindow(child, false);
  PostMouseInput(top, WM_LBUTTONDOWN, {5, 5});
  EXPECT_FALSE(HasPendingInput());
}

TEST_F(Queue, AnIdleRunWithNothingAheadClosesItsWindows) {
  HWND top = MakeTop(log.Proc());
  Message m;
  // Nothing runs and nothing is scheduled: the queue asks the window to close, and
  // the default handling destroys it.
  while (GetMessage(m)) DispatchMessage(m);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_THAT(log.Messages(top), ::testing::Contains(WM_CLOSE));
}

TEST_F(Queue, ScriptedKeysArriveAtTheirVirtualTime) {
  HostOptions o = HeadlessOptions();
  o.script = {{30, 'A', true}, {10, 'B', true}, {30, 'A', false}};
  ResetForTesting(o);
  HWND top = MakeTop(log.Proc());
  std::vector<std::pair<uint32_t, uint32_t>> keys;  // (time, key)
  SetWindowProc(top, [&](HWND h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    if (msg == WM_KEYDOWN || msg == WM_KEYUP) keys.push_back({GetTickCount(), uint32_t(w)});
    return DefWindowProc(h, msg, w, l);
  });
  RunMessagesUntil(100);
  EXPECT_THAT(keys, ElementsAre(std::pair{10u, uint32_t('B')}, std::pair{30u, uint32_t('A')},
                                std::pair{30u, uint32_t('A')}));
  EXPECT_EQ(GetTickCount(), 100u);
}

// A source that makes its keys up as it goes, as the random player does, counting how far
// ahead it was asked.
class CountingSource final : public KeySource {
 public:
  std::optional<ScriptedKey> Next() override {
    ++asked;
    if (asked > 3) return std::nullopt;
    return ScriptedKey{uint32_t(asked * 20), 'C', asked % 2 == 1};
  }
  int asked = 0;
};

TEST_F(Queue, MadeUpKeysMergeWithTheScriptByTimeAndAreAskedForOneAhead) {
  HostOptions o = HeadlessOptions();
  o.script = {{20, 'S', true}, {50, 'S', false}};
  auto source = std::make_shared<CountingSource>();
  o.keySource = source;
  ResetForTesting(o);
  EXPECT_EQ(source->asked, 1);
  HWND top = MakeTop(log.Proc());
  std::vector<std::pair<uint32_t, uint32_t>> keys;
  SetWindowProc(top, [&](HWND h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    if (msg == WM_KEYDOWN || msg == WM_KEYUP) keys.push_back({GetTickCount(), uint32_t(w)});
    return DefWindowProc(h, msg, w, l);
  });
  RunMessagesUntil(45);
  EXPECT_EQ(source->asked, 3) << "the key at 60 ms is known, nothing after it yet";
  RunMessagesUntil(100);
  // On a tie the script's key goes first.
  EXPECT_THAT(keys, ElementsAre(std::pair{20u, uint32_t('S')}, std::pair{20u, uint32_t('C')},
                                std::pair{40u, uint32_t('C')}, std::pair{50u, uint32_t('S')},
                                std::pair{60u, uint32_t('C')}));
  EXPECT_EQ(source->asked, 4);
  EXPECT_EQ(GetTickCount(), 100u);
}
