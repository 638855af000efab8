#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "message_log.h"
#include "platform/draw.h"
#include "platform/surface.h"
#include "platform/window_internal.h"

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
  // The first child created is the upper one.
  HWND high = MakeChild(top, Filler(kBlue, &order), {40, 40, 90, 90});
  HWND low = MakeChild(top, Filler(kGreen, &order), {10, 10, 60, 60});
  UpdateAllWindows();
  EXPECT_THAT(order, ElementsAre(top, low, high));
  EXPECT_EQ(FramePixel(top, 5, 5), kRed);
  EXPECT_EQ(FramePixel(top, 20, 20), kGreen);
  EXPECT_EQ(FramePixel(top, 50, 50), kBlue);
  EXPECT_EQ(FramePixel(top, 95, 95), kRed);
}

TEST_F(Paint, RepaintingALowerWindowRepaintsWhatLiesAboveIt) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  HWND high = MakeChild(top, Filler(kBlue, &order), {40, 40, 90, 90});
  HWND low = MakeChild(top, Filler(kGreen, &order), {10, 10, 60, 60});
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

namespace {

// The frame pixels of a rectangle, row by row.
std::vector<uint32_t> FramePixels(HWND top, const Rect& r) {
  std::vector<uint32_t> out;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(GetWindowFrame(top)->At(x, y));
  return out;
}

// A window procedure that fills its whole client area, in a new colour on every paint.
WndProc Repainter(int* paints) {
  return [paints](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m != WM_PAINT) return DefWindowProc(h, m, w, l);
    PaintStruct ps;
    DC* dc = BeginPaint(h, &ps);
    ++*paints;
    dc->FillSolid(GetClientRect(h), Rgb(uint8_t(*paints * 37), uint8_t(*paints * 11), 200));
    EndPaint(h, &ps);
    return 0;
  };
}

}  // namespace

TEST_F(Paint, AWindowThatClipsSiblingsNeverPaintsOverTheOnesAbove) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  // Two siblings above, created first, with the text on top of them drawn once.
  HWND link = MakeChild(top, Filler(kBlue, nullptr), {0, 80, 40, 92});
  HWND label = MakeChild(top, Filler(kGreen, nullptr), {60, 80, 100, 92});
  int paints = 0;
  HWND stage = MakeChild(top, Repainter(&paints), {0, 0, 100, 100}, WS_VISIBLE | WS_CLIPSIBLINGS);
  UpdateAllWindows();
  ASSERT_THAT(GetChildren(top), ElementsAre(stage, label, link));
  const std::vector<uint32_t> linkBefore = FramePixels(top, {0, 80, 40, 92});
  const std::vector<uint32_t> labelBefore = FramePixels(top, {60, 80, 100, 92});
  EXPECT_EQ(FramePixel(top, 5, 85), kBlue);
  for (int i = 0; i < 40; ++i) {
    if (i % 2 == 0) {
      // Through WM_PAINT, the whole client area.
      InvalidateRect(stage, nullptr);
      UpdateAllWindows();
    } else {
      // Through a DC taken outside WM_PAINT, with a mix mode that would show any pixel
      // drawn twice or drawn under the holes.
      DC* dc = GetDC(stage);
      dc->SetRop2(R2_XORPEN);
      dc->SelectPen(Pen{PS_DOT, 1, Rgb(255, 255, 255)});
      dc->SelectBrush(Brush{Brush::Solid, Rgb(1, 2, 3)});
      dc->Rectangle(-10, 70, 110, 95);
      dc->MoveTo(0, 99);
      dc->LineTo(99, 60);
      dc->TextOut(0, 82, "Tolvaran Tolvaran Tolvaran");
      ReleaseDC(stage, dc);
    }
    ASSERT_EQ(FramePixels(top, {0, 80, 40, 92}), linkBefore) << "pass " << i;
    ASSERT_EQ(FramePixels(top, {60, 80, 100, 92}), labelBefore) << "pass " << i;
  }
  EXPECT_EQ(paints, 21);
  EXPECT_EQ(FramePixel(top, 50, 50), Rgb(uint8_t(21 * 37), uint8_t(21 * 11), 200))
      << "what the stage shows it still paints";
  // A hidden sibling no longer covers anything.
  ShowWindow(link, false);
  InvalidateRect(stage, nullptr);
  UpdateAllWindows();
  EXPECT_EQ(FramePixel(top, 5, 85), Rgb(uint8_t(22 * 37), uint8_t(22 * 11), 200));
  EXPECT_EQ(FramePixel(top, 65, 85), kGreen);
}

TEST_F(Paint, WithoutClipSiblingsALowerWindowsDCDrawsOverTheOneAbove) {
  HWND top = MakeTop(Filler(kRed, nullptr), {0, 0, 100, 100});
  MakeChild(top, Filler(kBlue, nullptr), {0, 80, 40, 92});
  HWND lower = MakeChild(top, Filler(kGreen, nullptr), {0, 0, 100, 100});
  UpdateAllWindows();
  EXPECT_EQ(FramePixel(top, 5, 85), kBlue);
  DC* dc = GetDC(lower);
  dc->FillSolid({0, 0, 100, 100}, kRed);
  ReleaseDC(lower, dc);
  EXPECT_EQ(FramePixel(top, 5, 85), kRed) << "as on the desktop: only the style protects";
}

TEST_F(Paint, OverlappingSiblingsPaintTheSameWhateverOrderTheyWereInvalidatedIn) {
  // Three overlapping siblings, one of them clipping siblings: the frame after painting
  // depends on their z-order only, never on which of them asked for paint last.
  const std::array<COLORREF, 3> colours = {kRed, kGreen, kBlue};
  const std::array<Rect, 3> places = {Rect{0, 0, 60, 60}, Rect{30, 30, 90, 90}, Rect{10, 40, 70, 70}};
  std::vector<uint32_t> reference;
  std::array<int, 3> invalidation = {0, 1, 2};
  do {
    ResetForTesting();
    HWND top = MakeTop(Filler(Rgb(9, 9, 9), nullptr), {0, 0, 100, 100});
    std::array<HWND, 3> kids{};
    for (int i = 0; i < 3; ++i)
      kids[size_t(i)] = MakeChild(top, Filler(colours[size_t(i)], nullptr), places[size_t(i)],
                                  WS_VISIBLE | (i == 1 ? uint32_t(WS_CLIPSIBLINGS) : 0u));
    UpdateAllWindows();
    for (int k : invalidation) {
      InvalidateRect(kids[size_t(k)], nullptr);
      UpdateAllWindows();
    }
    const std::vector<uint32_t> frame = FramePixels(top, {0, 0, 100, 100});
    if (reference.empty()) reference = frame;
    EXPECT_EQ(frame, reference);
    EXPECT_EQ(FramePixel(top, 35, 45), kRed) << "the first created is topmost";
    EXPECT_EQ(FramePixel(top, 65, 45), kGreen);
    EXPECT_EQ(FramePixel(top, 20, 65), kBlue);
  } while (std::next_permutation(invalidation.begin(), invalidation.end()));
}

// Headless runs keep what each window owes and paint it only when the frame is read,
// with the state of that moment; the messages still flow as if it had painted.
TEST_F(Paint, DeferredPaintWaitsForTheFrameToBeReadAndPaintsAllThatIsOwed) {
  HostOptions options = HeadlessOptions();
  options.deferPaint = true;
  ResetForTesting(options);
  COLORREF colour = kRed;
  int paints = 0;
  HWND top = MakeTop(
      [&](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
        if (m != WM_PAINT) return DefWindowProc(h, m, w, l);
        ++paints;
        PaintStruct ps;
        DC* dc = BeginPaint(h, &ps);
        dc->FillSolid(ps.rcPaint, colour);
        EndPaint(h, &ps);
        return 0;
      },
      {0, 0, 100, 100});
  UpdateAllWindows();
  EXPECT_EQ(paints, 0);
  EXPECT_EQ(FramePixel(top, 50, 50), kRed);
  EXPECT_EQ(paints, 1);

  const Rect early{0, 0, 10, 10}, late{60, 60, 70, 70};
  InvalidateRect(top, &early);
  Message m;
  ASSERT_TRUE(PeekMessage(m, PM_REMOVE));
  EXPECT_EQ(m.message, uint32_t(WM_PAINT));
  DispatchMessage(m);
  EXPECT_FALSE(GetUpdateRect(top, nullptr)) << "taken as if painted";
  colour = kGreen;
  InvalidateRect(top, &late);
  UpdateAllWindows();
  EXPECT_FALSE(GetUpdateRect(top, nullptr));
  EXPECT_EQ(paints, 1);

  colour = kBlue;
  EXPECT_EQ(FramePixel(top, 5, 5), kBlue) << "owed since before the later invalidation";
  EXPECT_EQ(FramePixel(top, 65, 65), kBlue);
  EXPECT_EQ(FramePixel(top, 95, 5), kRed) << "never owed, never repainted";
  EXPECT_EQ(paints, 2) << "one paint covers everything owed";
}

// Timers due at the same moment each draw; the host is handed the frame once, after the
// last of them. A program that runs behind, with a timer always due, still shows a frame
// at least every display refresh.
TEST_F(Paint, FramesGoToTheHostOncePerMomentAndAtLeastEveryRefreshWhenBehind) {
  int busyMs = 0;
  HWND top = MakeTop([&busyMs](HWND h, uint32_t m, uint64_t w, int64_t l) -> int64_t {
    if (m == WM_TIMER) {
      InvalidateRect(h, nullptr);
      if (busyMs > 0) GetHost().WaitUntil(GetHost().Now() + uint32_t(busyMs));
      return 0;
    }
    if (m != WM_PAINT) return DefWindowProc(h, m, w, l);
    PaintStruct ps;
    DC* dc = BeginPaint(h, &ps);
    dc->FillSolid(ps.rcPaint, kRed);
    EndPaint(h, &ps);
    return 0;
  });
  RunMessagesUntil(0);
  SetTimer(top, 1, 10);
  SetTimer(top, 2, 10);
  SetTimer(top, 3, 20);
  const uint64_t before = detail::FramesPresented();
  RunMessagesUntil(100);
  // Ten moments with a tick (10, 20, ... 100), two or three timers at each.
  EXPECT_EQ(detail::FramesPresented() - before, 10u);

  // Each tick now keeps the program busy for 6 ms: from here on a tick is always due.
  busyMs = 6;
  const uint64_t behind = detail::FramesPresented();
  // RunMessagesUntil would not stop while a message is always ready.
  for (Message m; GetHost().Now() < 400;) {
    if (PeekMessage(m, PM_REMOVE)) DispatchMessage(m);
    else WaitMessageUntil(400);
  }
  const uint64_t shown = detail::FramesPresented() - behind;
  // From one present to the next: the tick that draws, 16 ms waiting from its paint,
  // and the tick running when they are up, 28 ms at most; so 300 ms hold at least 10
  // presents. Never one per tick (50).
  EXPECT_GE(shown, 10u);
  EXPECT_LT(shown, 30u);
}
