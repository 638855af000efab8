#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "message_log.h"
#include "platform/draw.h"
#include "platform/surface.h"

using namespace platform;
using namespace platform::testing;
using ::testing::ElementsAre;

namespace {

// A window procedure that fills its update area with one colour and notes the order.
WndProc Filler(COLORREF colour, std::vector<HWND>* order) {
  return [colour, order](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m != WM_PAINT) return DefWindowProc(h, m, w, l);
    PaintStruct ps;
    DC* dc = BeginPaint(h, &ps);
    dc->FillSolid(ps.rcPaint, colour);
    EndPaint(h, &ps);
    if (order) order->push_back(h);
    return 0;
  };
}

COLORREF FramePixel(HWND top, int x, int y) { return FromPixel(GetWindowFrame(top)->At(x, y)); }

constexpr COLORREF kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);

}  // namespace

class Paint : public ::testing::Test {
 protected:
  void SetUp() override { ResetForTesting(); }
  std::vector<HWND> order;
};

TEST_F(Paint, WindowsPaintBottomUpIntoTheFrame) {
  HWND top = MakeTop(Filler(kRed, &order), {0, 0, 100, 100});
  HWND low = MakeChild(top, Filler(kGreen, &order), {10, 10, 60, 60});
  HWND high = MakeChild(top, Filler(kBlue, &order), {40, 40, 90, 90});
  UpdateAllWindows();
  EXPECT_THAT(order, ElementsAre(top, low, high));
  EXPECT_EQ(FramePixel(top, 5, 5), kRed);
  EXPECT_EQ(FramePixel(top, 20, 20), kGreen);
  EXPECT_EQ(FramePixel(top, 50, 50), kBlue);
  EXPECT_EQ(FramePixel(top, 95, 95), kRed);
}

TEST_F(Paint, RepaintingALowerWindowRepaintsWhatLiesAboveIt) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  HWND low = MakeChild(top, Filler(kGreen, &order), {10, 10, 60, 60});
  HWND high = MakeChild(top, Filler(kBlue, &order), {40, 40, 90, 90});
  HWND apart = MakeChild(top, Filler(kBlue, &order), {70, 0, 100, 20});
  UpdateAllWindows();
  order.clear();
  InvalidateRect(low, nullptr);
  Rect update;
  ASSERT_TRUE(GetUpdateRect(high, &update));
  EXPECT_EQ(update, (Rect{0, 0, 20, 20})) << "only the overlap, in its own coordinates";
  EXPECT_FALSE(GetUpdateRect(apart, nullptr));
  EXPECT_FALSE(GetUpdateRect(top, nullptr)) << "windows below are not touched";
  UpdateAllWindows();
  EXPECT_THAT(order, ElementsAre(low, high));
  EXPECT_EQ(FramePixel(top, 50, 50), kBlue) << "the sibling above is not left under the repaint";
}

TEST_F(Paint, ChildrenAreClippedToTheirParent) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  HWND parent = MakeChild(top, Filler(kGreen, nullptr), {10, 10, 30, 30});
  MakeChild(parent, Filler(kBlue, nullptr), {10, 10, 80, 80});
  UpdateAllWindows();
  EXPECT_EQ(FramePixel(top, 25, 25), kBlue);
  EXPECT_EQ(FramePixel(top, 35, 35), kRed) << "the grandchild does not spill out";
}

TEST_F(Paint, HidingAndMovingUncoverWhatWasBelow) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  HWND child = MakeChild(top, Filler(kGreen, nullptr), {10, 10, 30, 30});
  UpdateAllWindows();
  MoveWindow(child, {50, 50, 70, 70});
  UpdateAllWindows();
  EXPECT_EQ(FramePixel(top, 15, 15), kRed);
  EXPECT_EQ(FramePixel(top, 55, 55), kGreen);
  ShowWindow(child, false);
  UpdateAllWindows();
  EXPECT_EQ(FramePixel(top, 55, 55), kRed);
}

TEST_F(Paint, HiddenWindowsOweNoPaint) {
  HWND top = MakeTop(Filler(kRed, &order), {0, 0, 50, 50});
  HWND hidden = MakeChild(top, Filler(kGreen, &order), {0, 0, 10, 10}, 0);
  InvalidateRect(hidden, nullptr);
  UpdateAllWindows();
  EXPECT_THAT(order, ElementsAre(top));
}

TEST_F(Paint, ProcedureThatIgnoresPaintDoesNotSpin) {
  HWND top = MakeTop([](HWND, uint32_t, uint64_t, int64_t) -> int64_t { return 0; });
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_PAINT));
  DispatchMessage(m);
  EXPECT_FALSE(PeekMessage(m, PM_REMOVE));
  EXPECT_FALSE(GetUpdateRect(top, nullptr));
}

TEST_F(Paint, ValidateShrinksTheUpdateArea) {
  HWND top = MakeTop(nullptr, {0, 0, 100, 100});
  UpdateAllWindows();
  Rect part{0, 0, 100, 40};
  InvalidateRect(top, nullptr);
  ValidateRect(top, &part);
  Rect update;
  ASSERT_TRUE(GetUpdateRect(top, &update));
  EXPECT_EQ(update, (Rect{0, 40, 100, 100}));
  ValidateRect(top, nullptr);
  EXPECT_FALSE(GetUpdateRect(top, nullptr));
}

TEST_F(Paint, GetDCDrawsOutsidePaintClippedToTheWindow) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  HWND child = MakeChild(top, Filler(kGreen, nullptr), {10, 10, 30, 30});
  UpdateAllWindows();
  DC* dc = GetDC(child);
  dc->FillSolid({0, 0, 100, 100}, kBlue);
  ReleaseDC(child, dc);
  EXPECT_EQ(FramePixel(top, 29, 29), kBlue);
  EXPECT_EQ(FramePixel(top, 30, 30), kRed);
}

TEST_F(Paint, ResizingTheTopLevelResizesItsFrame) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  UpdateAllWindows();
  MoveWindow(top, {0, 0, 160, 120});
  UpdateAllWindows();
  const Surface* frame = GetWindowFrame(top);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Width(), 160);
  EXPECT_EQ(frame->Height(), 120);
  EXPECT_EQ(FramePixel(top, 150, 110), kRed);
}
