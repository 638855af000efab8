#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "message_log.h"

using namespace platform;
using namespace platform::testing;
using ::testing::ElementsAre;

class WindowTree : public ::testing::Test {
 protected:
  void SetUp() override { ResetForTesting(); }
  MessageLog log;
};

TEST_F(WindowTree, ANewChildJoinsItsSiblingsAtTheBottomAndZOrderMovesIt) {
  HWND top = MakeTop(log.Proc());
  HWND a = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  HWND b = MakeChild(top, log.Proc(), {5, 5, 20, 20});
  EXPECT_THAT(log.Messages(a), ElementsAre(WM_CREATE));
  EXPECT_THAT(GetChildren(top), ElementsAre(b, a)) << "bottom first: the later child is lower";
  EXPECT_EQ(GetParent(a), top);
  EXPECT_EQ(GetTopLevel(b), top);
  EXPECT_EQ(WindowFromPoint(top, {7, 7}), a) << "the mouse finds the upper of two";
  SetZOrder(b, HWND_TOP);
  EXPECT_THAT(GetChildren(top), ElementsAre(a, b));
  EXPECT_EQ(WindowFromPoint(top, {7, 7}), b);
  SetZOrder(b, HWND_BOTTOM);
  EXPECT_THAT(GetChildren(top), ElementsAre(b, a));
  HWND c = MakeChild(top, log.Proc(), {0, 0, 1, 1});
  EXPECT_THAT(GetChildren(top), ElementsAre(c, b, a));
  SetZOrder(c, a);  // directly below a
  EXPECT_THAT(GetChildren(top), ElementsAre(b, c, a));
  SetZOrder(a, b);  // from the top to directly below b
  EXPECT_THAT(GetChildren(top), ElementsAre(a, b, c));
  // A new top-level window still opens above the others.
  HWND second = MakeTop(log.Proc());
  EXPECT_THAT(GetTopLevelWindows(), ElementsAre(top, second));
}

TEST_F(WindowTree, CreateFailsForMissingParentOrRefusal) {
  EXPECT_EQ(MakeChild(0x7777, nullptr, {0, 0, 1, 1}), 0u);
  HWND refused = MakeTop([](HWND, uint32_t m, uint64_t, int64_t) -> int64_t {
    return m == WM_CREATE ? -1 : 0;
  });
  EXPECT_EQ(refused, 0u);
  EXPECT_TRUE(GetTopLevelWindows().empty());
}

TEST_F(WindowTree, DestroyGoesDeepestFirstAndDropsFocusCaptureAndTimers) {
  std::vector<HWND> destroyed;
  auto proc = [&](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == WM_DESTROY) destroyed.push_back(h);
    return DefWindowProc(h, m, w, l);
  };
  HWND top = MakeTop(proc);
  HWND child = MakeChild(top, proc, {0, 0, 50, 50});
  HWND grandchild = MakeChild(child, proc, {0, 0, 5, 5});
  SetFocus(grandchild);
  SetCapture(child);
  SetTimer(child, 1, 10);
  EXPECT_TRUE(DestroyWindow(child));
  EXPECT_THAT(destroyed, ElementsAre(grandchild, child));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  EXPECT_EQ(GetFocus(), 0u);
  EXPECT_EQ(GetCapture(), 0u);
  EXPECT_FALSE(NextTimerDeadline().has_value());
  EXPECT_FALSE(DestroyWindow(child));
  // Handles are not reused.
  HWND again = MakeChild(top, proc, {0, 0, 5, 5});
  EXPECT_NE(again, child);
  EXPECT_NE(again, grandchild);
}

TEST_F(WindowTree, PlacementMessagesAndCoordinates) {
  HWND top = MakeTop(log.Proc(), {100, 50, 300, 250});
  HWND child = MakeChild(top, log.Proc(), {10, 20, 60, 80});
  log.entries.clear();
  EXPECT_TRUE(MoveWindow(child, {15, 20, 65, 90}));
  EXPECT_THAT(log.Messages(child), ElementsAre(WM_MOVE, WM_SIZE));
  EXPECT_EQ(LParamX(log.entries[0].lParam), 15);
  EXPECT_EQ(LParamY(log.entries[1].lParam), 70);
  EXPECT_EQ(GetWindowRect(child), (Rect{115, 70, 165, 140}));
  EXPECT_EQ(GetClientRect(child), (Rect{0, 0, 50, 70}));
  EXPECT_EQ(ClientToScreen(child, {1, 2}), (Point{116, 72}));
  EXPECT_EQ(ScreenToClient(child, {116, 72}), (Point{1, 2}));
  log.entries.clear();
  MoveWindow(child, {15, 20, 65, 90});
  EXPECT_TRUE(log.entries.empty());
}

TEST_F(WindowTree, VisibilityAndEnablingFollowAncestors) {
  HWND top = MakeTop(log.Proc());
  HWND child = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, false));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(top, true));
  log.entries.clear();
  SetFocus(child);
  EXPECT_FALSE(EnableWindow(child, false));
  EXPECT_TRUE(EnableWindow(child, false));  // already disabled: no message
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_EQ(GetFocus(), 0u) << "a disabled window cannot keep the focus";
  EXPECT_THAT(log.Messages(child), ElementsAre(WM_SETFOCUS, WM_KILLFOCUS, WM_ENABLE));
}

TEST_F(WindowTree, FocusMessagesCarryTheOtherWindow) {
  HWND top = MakeTop(log.Proc());
  HWND a = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  HWND b = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  EXPECT_EQ(SetFocus(a), 0u);
  log.entries.clear();
  EXPECT_EQ(SetFocus(b), a);
  ASSERT_EQ(log.entries.size(), 2u);
  EXPECT_EQ(log.entries[0].message, uint32_t(WM_KILLFOCUS));
  EXPECT_EQ(log.entries[0].wParam, b);
  EXPECT_EQ(log.entries[1].message, uint32_t(WM_SETFOCUS));
  EXPECT_EQ(log.entries[1].wParam, a);
  EXPECT_EQ(GetActiveWindow(), top);
  ShowWindow(b, false);
  EXPECT_EQ(GetFocus(), 0u) << "hiding the focus window takes the focus away";
}

TEST_F(WindowTree, CaptureChangeIsAnnounced) {
  HWND top = MakeTop(log.Proc());
  HWND a = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  HWND b = MakeChild(top, log.Proc(), {0, 0, 10, 10});
  SetCapture(a);
  log.entries.clear();
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_THAT(log.Messages(a), ElementsAre(WM_CAPTURECHANGED));
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_THAT(log.Messages(b), ElementsAre(WM_CAPTURECHANGED));
  EXPECT_FALSE(ReleaseCapture());
}

TEST_F(WindowTree, WindowFromPointFindsDeepestVisibleChild) {
  HWND top = MakeTop(nullptr, {0, 0, 200, 200});
  HWND high = MakeChild(top, nullptr, {50, 50, 150, 150});
  HWND low = MakeChild(top, nullptr, {10, 10, 110, 110});
  HWND inner = MakeChild(low, nullptr, {0, 0, 20, 20});
  HWND hidden = MakeChild(top, nullptr, {0, 0, 200, 200}, 0);
  (void)hidden;
  EXPECT_EQ(WindowFromPoint(top, {60, 60}), high);
  EXPECT_EQ(WindowFromPoint(top, {15, 15}), inner);
  EXPECT_EQ(WindowFromPoint(top, {40, 40}), low);
  EXPECT_EQ(WindowFromPoint(top, {190, 5}), top);
  EXPECT_EQ(WindowFromPoint(top, {250, 5}), 0u);
}

TEST_F(WindowTree, TopmostWindowsStayAbove) {
  HWND pinned = MakeTop(nullptr, {0, 0, 10, 10}, WS_VISIBLE | WS_EX_TOPMOST);
  HWND normal = MakeTop(nullptr);
  EXPECT_THAT(GetTopLevelWindows(), ElementsAre(normal, pinned));
  SetZOrder(normal, HWND_TOP);
  EXPECT_THAT(GetTopLevelWindows(), ElementsAre(normal, pinned));
}

TEST_F(WindowTree, CloseDefaultsToDestroy) {
  HWND top = MakeTop(log.Proc());
  PostCloseRequest(top);
  Drain();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_THAT(log.Messages(top), ::testing::Contains(WM_DESTROY));
}
