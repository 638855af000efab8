// Drawing on a DC: pens, rectangles, brushes, mix modes, clipping, lines and blits,
// checked against expected pixels at chosen coordinates.
#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/draw.h"
#include "test_util.h"

namespace {

using namespace platform;
using drawtest::ColourAt;
using drawtest::CountInk;

constexpr COLORREF kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

struct Canvas {
  Surface surface;
  DC dc;
  explicit Canvas(int w = 64, int h = 48, COLORREF fill = kWhite)
      : surface(w, h, ToPixel(fill)), dc(&surface) {}
  COLORREF operator()(int x, int y) const { return ColourAt(surface, x, y); }
};

void UsePen(DC& dc, int style, int width, COLORREF c = kRed) { dc.SelectPen({style, width, c}); }
Brush SolidBrush(COLORREF c) { return {Brush::Solid, c}; }

// ---- rectangles and pens -------------------------------------------------------------------

TEST(Rectangle, OnePixelPenOutlinesTheHalfOpenBoxAndBrushFillsInside) {
  for (int width : {0, 1}) {
    Canvas c;
    UsePen(c.dc, PS_SOLID, width);
    c.dc.SelectBrush(SolidBrush(kBlue));
    c.dc.Rectangle(10, 10, 20, 15);
    EXPECT_EQ(c(10, 10), kRed);
    EXPECT_EQ(c(19, 10), kRed);
    EXPECT_EQ(c(19, 14), kRed);
    EXPECT_EQ(c(10, 14), kRed);
    EXPECT_EQ(c(20, 10), kWhite);
    EXPECT_EQ(c(10, 15), kWhite);
    EXPECT_EQ(c(9, 9), kWhite);
    EXPECT_EQ(c(11, 11), kBlue);
    EXPECT_EQ(c(18, 13), kBlue);
    EXPECT_EQ(CountInk(c.surface, kWhite), 10 * 5);
  }
}

TEST(Rectangle, ReversedCornersAreNormalisedAndEmptyBoxesDrawNothing) {
  Canvas a, b;
  UsePen(a.dc, PS_SOLID, 1);
  UsePen(b.dc, PS_SOLID, 1);
  a.dc.Rectangle(20, 15, 10, 10);
  b.dc.Rectangle(10, 10, 20, 15);
  EXPECT_EQ(a.surface.Data()[0], b.surface.Data()[0]);
  EXPECT_TRUE(std::equal(a.surface.Data(), a.surface.Data() + 64 * 48, b.surface.Data()));
  Canvas e;
  UsePen(e.dc, PS_SOLID, 3);
  e.dc.Rectangle(5, 5, 5, 20);
  e.dc.Rectangle(5, 5, 20, 5);
  EXPECT_EQ(CountInk(e.surface, kWhite), 0);
}

TEST(Rectangle, WidePensAreCentredOnTheOutline) {
  Canvas c;
  c.dc.SelectBrush(SolidBrush(kBlue));
  UsePen(c.dc, PS_SOLID, 3);
  c.dc.Rectangle(10, 10, 20, 16);
  // Outline through x 10..19, y 10..15; three pixels wide: 9..11 and 18..20.
  EXPECT_EQ(c(9, 9), kRed);
  EXPECT_EQ(c(20, 16), kRed);
  EXPECT_EQ(c(11, 11), kRed);
  EXPECT_EQ(c(18, 14), kRed);
  EXPECT_EQ(c(12, 12), kBlue);
  EXPECT_EQ(c(17, 13), kBlue);
  EXPECT_EQ(c(8, 10), kWhite);
  EXPECT_EQ(c(21, 10), kWhite);
  EXPECT_EQ(c(12, 17), kWhite);

  Canvas even;
  even.dc.SelectBrush(SolidBrush(kBlue));
  UsePen(even.dc, PS_SOLID, 2);
  even.dc.Rectangle(10, 10, 20, 16);
  // Even widths lean up and left: 9..10 and 18..19.
  EXPECT_EQ(even(9, 9), kRed);
  EXPECT_EQ(even(10, 10), kRed);
  EXPECT_EQ(even(11, 11), kBlue);
  EXPECT_EQ(even(19, 15), kRed);
  EXPECT_EQ(even(20, 15), kWhite);
  EXPECT_EQ(even(8, 9), kWhite);
}

TEST(Rectangle, PenWiderThanTheBoxLeavesNoInterior) {
  Canvas c;
  c.dc.SelectBrush(SolidBrush(kBlue));
  UsePen(c.dc, PS_SOLID, 4);
  c.dc.Rectangle(10, 10, 20, 15);
  // Outline 8..20 x 8..15: all of it pen, none of it brush.
  EXPECT_EQ(CountInk(c.surface, kWhite), 13 * 8);
  EXPECT_EQ(CountInk(c.surface, kRed), 64 * 48 - 13 * 8);
  EXPECT_EQ(c(8, 8), kRed);
  EXPECT_EQ(c(20, 15), kRed);
  EXPECT_EQ(c(21, 15), kWhite);
}

TEST(Rectangle, InsideFrameKeepsAWidePenInsideTheBox) {
  Canvas c;
  c.dc.SelectBrush(SolidBrush(kBlue));
  UsePen(c.dc, PS_INSIDEFRAME, 3);
  c.dc.Rectangle(10, 10, 30, 30);
  EXPECT_EQ(c(10, 10), kRed);
  EXPECT_EQ(c(29, 29), kRed);
  EXPECT_EQ(c(12, 20), kRed);
  EXPECT_EQ(c(27, 20), kRed);
  EXPECT_EQ(c(13, 13), kBlue);
  EXPECT_EQ(c(26, 26), kBlue);
  EXPECT_EQ(c(9, 9), kWhite);
  EXPECT_EQ(c(30, 30), kWhite);
  EXPECT_EQ(CountInk(c.surface, kWhite), 20 * 20);
}

TEST(Rectangle, NullPenLetsTheBrushCoverTheWholeBox) {
  Canvas c;
  UsePen(c.dc, PS_NULL, 5);
  c.dc.SelectBrush(SolidBrush(kBlue));
  c.dc.Rectangle(10, 10, 20, 15);
  EXPECT_EQ(c(10, 10), kBlue);
  EXPECT_EQ(c(19, 14), kBlue);
  EXPECT_EQ(CountInk(c.surface, kWhite), 50);
}

TEST(Rectangle, NullBrushLeavesTheInteriorAlone) {
  Canvas c(64, 48, kGreen);
  UsePen(c.dc, PS_SOLID, 1);
  c.dc.SelectBrush({Brush::Null});
  c.dc.Rectangle(10, 10, 20, 15);
  EXPECT_EQ(c(10, 10), kRed);
  EXPECT_EQ(c(15, 12), kGreen);
}

// The dash styles, read along the top edge of a box at (4, 4) that starts the pattern.
struct DashCase {
  int style;
  const char* topEdge;  // '#' pen, '.' gap, for the first 30 pixels
};
class DashedOutline : public ::testing::TestWithParam<DashCase> {};

TEST_P(DashedOutline, FollowsTheClassicPatternAndFillsGapsOnlyWhenOpaque) {
  const DashCase& d = GetParam();
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Canvas c(64, 48, kGreen);
    UsePen(c.dc, d.style, 1);
    c.dc.SelectBrush({Brush::Null});
    c.dc.SetBkMode(mode);
    c.dc.SetBkColor(kWhite);
    c.dc.Rectangle(4, 4, 44, 14);
    const COLORREF gap = mode == OPAQUE ? kWhite : kGreen;
    for (int i = 0; i < 30; ++i) {
      EXPECT_EQ(c(4 + i, 4), d.topEdge[i] == '#' ? kRed : gap)
          << "style " << d.style << " mode " << mode << " x " << 4 + i;
    }
  }
  // A pen wider than one pixel draws the dashed styles solid.
  Canvas wide;
  UsePen(wide.dc, d.style, 2);
  wide.dc.SelectBrush({Brush::Null});
  wide.dc.Rectangle(4, 4, 44, 14);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(wide(4 + i, 4), kRed);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, DashedOutline,
    ::testing::Values(DashCase{PS_DASH, "##################......######"},
                      DashCase{PS_DOT, "###...###...###...###...###..."},
                      DashCase{PS_DASHDOT, "#########......###......######"},
                      DashCase{PS_DASHDOTDOT, "#########...###...###...######"}));

TEST(Rectangle, DashPatternRunsOnAroundTheCorner) {
  Canvas c;
  UsePen(c.dc, PS_DOT, 1);
  c.dc.SetBkMode(TRANSPARENT);
  c.dc.SelectBrush({Brush::Null});
  c.dc.Rectangle(0, 0, 5, 10);
  // Top edge x 0..4 is positions 0..4; the right edge continues at position 5 (y 1).
  EXPECT_EQ(c(4, 0), kWhite);  // position 4: gap
  EXPECT_EQ(c(4, 1), kWhite);  // position 5: gap
  EXPECT_EQ(c(4, 2), kRed);    // position 6: dot
  EXPECT_EQ(c(4, 4), kRed);    // position 8
  EXPECT_EQ(c(4, 5), kWhite);  // position 9
}

TEST(Rectangle, MixModeTouchesEveryPixelOnce) {
  // XOR twice restores the picture only if no pixel (corners!) was mixed twice per call.
  Canvas c(64, 48, Rgb(10, 20, 30));
  const Surface before = c.surface;
  for (int width : {1, 3, 4}) {
    UsePen(c.dc, PS_SOLID, width, kWhite);
    c.dc.SelectBrush(SolidBrush(Rgb(0x55, 0xAA, 0x0F)));
    c.dc.SetRop2(R2_XORPEN);
    c.dc.Rectangle(10, 10, 30, 25);
    EXPECT_EQ(c(10, 10), Rgb(10 ^ 255, 20 ^ 255, 30 ^ 255)) << width;
    EXPECT_EQ(c(20, 17), Rgb(10 ^ 0x55, 20 ^ 0xAA, 30 ^ 0x0F)) << width;
    c.dc.Rectangle(10, 10, 30, 25);
    EXPECT_TRUE(std::equal(before.Data(), before.Data() + 64 * 48, c.surface.Data())) << width;
  }
}

// ---- brushes ---------------------------------------------------------------------------------

// The six hatches as they look on screen, '#' in the brush colour.
const char* const kHatchArt[6][8] = {
    {"........", "........", "........", "........", "........", "........", "........", "########"},
    {"....#...", "....#...", "....#...", "....#...", "....#...", "....#...", "....#...", "....#..."},
    {"#.......", ".#......", "..#.....", "...#....", "....#...", ".....#..", "......#.", ".......#"},
    {".......#", "......#.", ".....#..", "....#...", "...#....", "..#.....", ".#......", "#......."},
    {"....#...", "....#...", "....#...", "....#...", "....#...", "....#...", "....#...", "########"},
    {"#......#", ".#....#.", "..#..#..", "...##...", "...##...", "..#..#..", ".#....#.", "#......#"},
};

TEST(Brush, HatchesMatchTheirPictureInOpaqueAndTransparentMode) {
  for (int hatch = HS_HORIZONTAL; hatch <= HS_DIAGCROSS; ++hatch) {
    for (int mode : {OPAQUE, TRANSPARENT}) {
      Canvas c(24, 24, kGreen);
      // An origin that is not a multiple of 8: the pattern stays fixed to the surface.
      DC dc(&c.surface, {3, 5}, c.surface.Bounds());
      dc.SetBkMode(mode);
      dc.SetBkColor(kWhite);
      dc.FillRect({-3, -5, 21, 19}, {Brush::Hatch, kBlue, hatch});
      for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
          const bool line = kHatchArt[hatch][y % 8][x % 8] == '#';
          ASSERT_EQ(c(x, y), line ? kBlue : (mode == OPAQUE ? kWhite : kGreen))
              << "hatch " << hatch << " mode " << mode << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Brush, PatternUsesTextColourForClearBitsAndBackgroundForSetBits) {
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Canvas c(16, 16, kGreen);
    c.dc.SetTextColor(kRed);
    c.dc.SetBkColor(kBlue);
    c.dc.SetBkMode(mode);
    Brush b{Brush::Pattern};
    b.pattern = {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
    c.dc.FillRect({0, 0, 16, 16}, b);
    EXPECT_EQ(c(0, 0), kBlue);
    EXPECT_EQ(c(8, 8), kBlue);
    EXPECT_EQ(c(7, 7), kBlue);
    EXPECT_EQ(c(1, 0), kRed);
    EXPECT_EQ(c(0, 7), kRed);
    EXPECT_EQ(CountInk(c.surface, kRed), 2 * 4);  // two set bits per 8 x 8 tile
  }
}

TEST(Brush, FillRectIgnoresTheMixModeButRectangleHonoursIt) {
  Canvas c(32, 32, Rgb(0xF0, 0x0F, 0x33));
  c.dc.SetRop2(R2_NOT);
  c.dc.FillRect({0, 0, 8, 8}, SolidBrush(kBlue));
  EXPECT_EQ(c(3, 3), kBlue);
  UsePen(c.dc, PS_NULL, 1);
  c.dc.SelectBrush(SolidBrush(kBlue));
  c.dc.Rectangle(10, 10, 20, 20);
  EXPECT_EQ(c(15, 15), Rgb(0x0F, 0xF0, 0xCC));
  c.dc.FillRect({0, 0, 32, 32}, {Brush::Null});
  EXPECT_EQ(c(3, 3), kBlue);
}

// ---- mix modes -------------------------------------------------------------------------------

TEST(MixModes, AllSixteenFollowTheirTruthTable) {
  // R2 code - 1 is the truth table: bit (2 * pen + dest) of it is the result for that
  // pair of bits. These operands hold all four pairs in every nibble.
  const uint32_t pen = 0xFFCCCCCCu, dest = 0x5AAAAAAAu;
  for (int code = R2_BLACK; code <= R2_WHITE; ++code) {
    uint32_t expected = 0;
    for (int bit = 0; bit < 24; ++bit) {
      const int p = (pen >> bit) & 1, d = (dest >> bit) & 1;
      expected |= uint32_t(((code - 1) >> (2 * p + d)) & 1) << bit;
    }
    EXPECT_EQ(ApplyRop2(code, pen, dest), 0x5A000000u | expected) << "code " << code;
  }
}

TEST(MixModes, NamedModesOnChosenColours) {
  const uint32_t p = ToPixel(Rgb(0x12, 0x34, 0x56)), d = ToPixel(Rgb(0xF0, 0x0F, 0xFF));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_COPYPEN, p, d)), Rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_NOP, p, d)), Rgb(0xF0, 0x0F, 0xFF));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_XORPEN, p, d)), Rgb(0x12 ^ 0xF0, 0x34 ^ 0x0F, 0x56 ^ 0xFF));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_NOT, p, d)), Rgb(0x0F, 0xF0, 0x00));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_MASKPEN, p, d)), Rgb(0x12 & 0xF0, 0x34 & 0x0F, 0x56));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_MERGEPEN, p, d)), Rgb(0xF2, 0x3F, 0xFF));
  EXPECT_EQ(FromPixel(ApplyRop2(R2_BLACK, p, d)), 0u);
  EXPECT_EQ(FromPixel(ApplyRop2(R2_WHITE, p, d)), kWhite);
}

// ---- clipping ----------------------------------------------------------------------------------

TEST(Clipping, EveryPrimitiveStopsAtEveryEdgeOfTheClip) {
  Canvas c(40, 40, kGreen);
  const Rect clip{10, 12, 30, 26};
  DC dc(&c.surface, {0, 0}, clip);
  UsePen(dc, PS_SOLID, 3);
  dc.SelectBrush({Brush::Hatch, kBlue, HS_DIAGCROSS});
  dc.Rectangle(-5, -5, 50, 50);
  dc.FillRect({-100, 11, 100, 14}, SolidBrush(kRed));
  dc.FillSolid({8, -100, 12, 100}, kRed);
  dc.MoveTo(-10, 20);
  dc.LineTo(60, 20);
  dc.MoveTo(20, -10);
  dc.LineTo(20, 60);
  dc.SetPixel(9, 15, kRed);
  dc.SetPixel(30, 15, kRed);
  Surface src(50, 50, ToPixel(kRed));
  dc.BitBlt(0, 0, 50, 50, src, 0, 0);
  dc.StretchBlt(0, 0, 40, 40, src, 0, 0, 5, 5, STRETCH_SMOOTH);
  EXPECT_EQ(CountInk(c.surface, kGreen), clip.Width() * clip.Height());
  EXPECT_EQ(c(10, 12), kRed);
  EXPECT_EQ(c(29, 25), kRed);
  EXPECT_EQ(c(9, 12), kGreen);
  EXPECT_EQ(c(30, 25), kGreen);
  EXPECT_EQ(c(10, 11), kGreen);
  EXPECT_EQ(c(29, 26), kGreen);
}

TEST(Clipping, HolesLeaveTheirPixelsAloneAndEverythingElseAsWithoutThem) {
  // Every kind of drawing call, with a mix mode that shows a pixel mixed twice and a
  // styled pen whose pattern must run on across the holes.
  auto draw = [](DC& dc) {
    dc.SetRop2(R2_XORPEN);
    dc.SelectPen({PS_DASHDOT, 1, kRed});
    dc.SelectBrush({Brush::Hatch, kBlue, HS_DIAGCROSS});
    dc.Rectangle(2, 3, 50, 40);
    dc.MoveTo(0, 0);
    dc.LineTo(63, 47);
    dc.LineTo(0, 47);
    dc.SelectPen({PS_SOLID, 5, kGreen});
    dc.LineTo(40, 0);
    dc.FillSolid({20, 20, 60, 30}, kRed);
    dc.SetPixel(31, 31, kBlue);
    Surface sprite(9, 7, ToPixel(kGreen));
    dc.BitBlt(25, 5, 9, 7, sprite, 0, 0);
    dc.StretchBlt(40, 30, 20, 14, sprite, 0, 0, 9, 7, STRETCH_SMOOTH);
    dc.SetTextColor(kBlue);
    dc.TextOut(1, 14, "Tolvaran");
  };
  const Rect holes[] = {{10, 10, 30, 20}, {25, 15, 45, 35}, {0, 40, 8, 48}};
  Canvas plain, holed;
  draw(plain.dc);
  DC withHoles(&holed.surface, {0, 0}, holed.surface.Bounds(), holes);
  draw(withHoles);
  int inHoles = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool covered = std::ranges::any_of(holes, [&](const Rect& h) { return h.Contains({x, y}); });
      if (covered) {
        ASSERT_EQ(holed(x, y), kWhite) << x << "," << y;
        inHoles += plain(x, y) != kWhite;
      } else {
        ASSERT_EQ(holed(x, y), plain(x, y)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(inHoles, 100) << "the calls did draw where the holes are";
  // A DC whose clip the holes cover entirely draws nothing at all.
  Canvas none;
  const Rect all[] = {{-5, -5, 70, 60}};
  DC covered(&none.surface, {0, 0}, none.surface.Bounds(), all);
  draw(covered);
  EXPECT_EQ(CountInk(none.surface, kWhite), 0);
}

TEST(Clipping, SubtractingRectanglesLeavesDisjointPiecesCoveringTheRest) {
  const Rect from{0, 0, 10, 10};
  const Rect holes[] = {{2, 2, 5, 5}, {4, 4, 12, 6}, {-1, 8, 3, 20}};
  const std::vector<Rect> pieces = SubtractRects(from, holes);
  for (int y = -2; y < 12; ++y) {
    for (int x = -2; x < 12; ++x) {
      const bool inHole = std::ranges::any_of(holes, [&](const Rect& h) { return h.Contains({x, y}); });
      const auto count = std::ranges::count_if(pieces, [&](const Rect& p) { return p.Contains({x, y}); });
      EXPECT_EQ(count, from.Contains({x, y}) && !inHole ? 1 : 0) << x << "," << y;
    }
  }
  EXPECT_THAT(SubtractRects(from, std::span<const Rect>{}), ::testing::ElementsAre(from));
  EXPECT_TRUE(SubtractRects({3, 3, 3, 9}, holes).empty()) << "an empty rectangle has no pieces";
}

TEST(Clipping, OriginShiftsAndSetClipNeverWidensTheGivenClip) {
  Canvas c(40, 40, kGreen);
  DC dc(&c.surface, {5, 7}, {5, 7, 25, 27});
  dc.SetClip({-100, -100, 100, 100});
  EXPECT_EQ(dc.Clip(), (Rect{5, 7, 25, 27}));
  dc.SetClip({2, 3, 8, 9});  // logical: surface 7..13 x 10..16
  EXPECT_EQ(dc.Clip(), (Rect{7, 10, 13, 16}));
  dc.FillSolid({0, 0, 40, 40}, kRed);
  EXPECT_EQ(CountInk(c.surface, kGreen), 36);
  EXPECT_EQ(c(7, 10), kRed);
  EXPECT_EQ(c(6, 10), kGreen);
  // A DC whose clip reaches past the surface is clipped to it.
  DC outside(&c.surface, {0, 0}, {30, 30, 90, 90});
  EXPECT_EQ(outside.Clip(), (Rect{30, 30, 40, 40}));
  outside.FillSolid({0, 0, 100, 100}, kBlue);
  EXPECT_EQ(c(39, 39), kBlue);
  // No target at all draws nothing and does not crash.
  DC none(nullptr);
  none.Rectangle(0, 0, 5, 5);
  none.TextOut(0, 0, "x");
}

// ---- lines ----------------------------------------------------------------------------------------

TEST(Lines, BresenhamLeavesOutTheLastPixel) {
  Canvas c;
  UsePen(c.dc, PS_SOLID, 1);
  c.dc.MoveTo(2, 2);
  c.dc.LineTo(7, 2);
  for (int x = 2; x < 7; ++x) EXPECT_EQ(c(x, 2), kRed);
  EXPECT_EQ(c(7, 2), kWhite);
  c.dc.MoveTo(10, 10);
  c.dc.LineTo(14, 14);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c(10 + i, 10 + i), kRed);
  EXPECT_EQ(c(14, 14), kWhite);
  // Steep: one pixel per row, x stepping every third row.
  c.dc.MoveTo(30, 10);
  c.dc.LineTo(32, 16);
  EXPECT_EQ(CountInk(c.surface, kWhite, {28, 10, 36, 17}), 6);
  EXPECT_EQ(c(30, 10), kRed);
  EXPECT_EQ(c(32, 15), kRed);
  EXPECT_EQ(c(32, 16), kWhite);
}

TEST(Lines, JoinedSegmentsMixTheSharedCornerOnce) {
  Canvas c(32, 32, Rgb(1, 2, 3));
  UsePen(c.dc, PS_SOLID, 1, kWhite);
  c.dc.SetRop2(R2_XORPEN);
  c.dc.MoveTo(5, 5);
  c.dc.LineTo(15, 5);
  c.dc.LineTo(15, 15);
  EXPECT_EQ(c(15, 5), Rgb(254, 253, 252));
  EXPECT_EQ(c(15, 15), Rgb(1, 2, 3));
}

TEST(Lines, DashesContinueAcrossSegmentsAndRestartAtMoveTo) {
  Canvas c;
  UsePen(c.dc, PS_DOT, 1);
  c.dc.SetBkMode(TRANSPARENT);
  c.dc.MoveTo(0, 0);
  c.dc.LineTo(4, 0);   // positions 0..3: ###.
  c.dc.LineTo(10, 0);  // positions 4..9 at x 4..9: ..###.
  EXPECT_EQ(c(3, 0), kWhite);
  EXPECT_EQ(c(5, 0), kWhite);
  EXPECT_EQ(c(6, 0), kRed);
  EXPECT_EQ(c(8, 0), kRed);
  EXPECT_EQ(c(9, 0), kWhite);
  c.dc.MoveTo(0, 3);
  c.dc.LineTo(6, 3);
  EXPECT_EQ(c(0, 3), kRed);
  EXPECT_EQ(c(3, 3), kWhite);
}

TEST(Lines, WidePenCoversItsWidthWithRoundEnds) {
  Canvas c;
  UsePen(c.dc, PS_SOLID, 3);
  c.dc.MoveTo(10, 10);
  c.dc.LineTo(30, 10);
  EXPECT_EQ(c(20, 9), kRed);
  EXPECT_EQ(c(20, 11), kRed);
  EXPECT_EQ(c(20, 8), kWhite);
  EXPECT_EQ(c(20, 12), kWhite);
  EXPECT_EQ(c(9, 10), kRed);   // cap
  EXPECT_EQ(c(8, 10), kWhite);
  EXPECT_EQ(c(9, 8), kWhite);  // round, not square
  UsePen(c.dc, PS_NULL, 3);
  c.dc.MoveTo(0, 30);
  c.dc.LineTo(60, 30);
  EXPECT_EQ(CountInk(c.surface, kWhite, {0, 25, 64, 35}), 0);
}

// ---- blits ---------------------------------------------------------------------------------------

TEST(Blit, BitBltCopiesOpaqueAndClipsToTheSource) {
  Surface src(4, 4, 0x00123456u);  // alpha 0 in the source
  src.At(0, 0) = 0x00FF0000u;
  Canvas c(10, 10, kGreen);
  c.dc.BitBlt(5, 5, 10, 10, src, -1, -1);  // source starts outside: first row/column skipped
  EXPECT_EQ(c(5, 5), kGreen);
  EXPECT_EQ(c.surface.At(6, 6), 0xFFFF0000u);
  EXPECT_EQ(c.surface.At(9, 9), 0xFF123456u);
  EXPECT_EQ(CountInk(c.surface, kGreen), 16);
}

TEST(Blit, BitBltWithinOneSurfaceHandlesOverlap) {
  Surface s(6, 6, 0xFF000000u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) s.At(x, y) = 0xFF000000u | uint32_t(y * 16 + x);
  const Surface before = s;
  DC dc(&s);
  dc.BitBlt(1, 1, 5, 5, s, 0, 0);  // down and right
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 6; ++x) EXPECT_EQ(s.At(x, y), before.At(x - 1, y - 1)) << x << "," << y;
  Surface t = before;
  DC up(&t);
  up.BitBlt(0, 0, 5, 5, t, 1, 1);  // up and left
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(t.At(x, y), before.At(x + 1, y + 1)) << x << "," << y;
}

TEST(Blit, NearestStretchPicksTheSourcePixelUnderEachCentre) {
  Surface src(3, 1);
  const COLORREF a = Rgb(10, 0, 0), b = Rgb(20, 0, 0), cc = Rgb(30, 0, 0);
  src.At(0, 0) = ToPixel(a);
  src.At(1, 0) = ToPixel(b);
  src.At(2, 0) = ToPixel(cc);
  Canvas c(16, 4, kGreen);
  c.dc.StretchBlt(0, 0, 7, 2, src, 0, 0, 3, 1, STRETCH_NEAREST);
  const COLORREF grown[7] = {a, a, b, b, b, cc, cc};
  for (int x = 0; x < 7; ++x) {
    EXPECT_EQ(c(x, 0), grown[x]) << x;
    EXPECT_EQ(c(x, 1), grown[x]) << x;
  }
  EXPECT_EQ(c(7, 0), kGreen);
  // Mirrored by a negative destination width.
  c.dc.StretchBlt(10, 3, -3, 1, src, 0, 0, 3, 1);
  EXPECT_EQ(c(7, 3), cc);
  EXPECT_EQ(c(8, 3), b);
  EXPECT_EQ(c(9, 3), a);
  EXPECT_EQ(c(10, 3), kGreen);
  // Shrinking four to two takes source pixels 1 and 3.
  Surface four(4, 1);
  for (int x = 0; x < 4; ++x) four.At(x, 0) = ToPixel(Rgb(uint8_t(x * 50), 0, 0));
  c.dc.StretchBlt(12, 0, 2, 1, four, 0, 0, 4, 1);
  EXPECT_EQ(c(12, 0), Rgb(50, 0, 0));
  EXPECT_EQ(c(13, 0), Rgb(150, 0, 0));
}

TEST(Blit, SmoothStretchAveragesWhenShrinkingAndBlendsWhenGrowing) {
  Surface checker(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) checker.At(x, y) = ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
  Canvas c(16, 16, kGreen);
  c.dc.StretchBlt(0, 0, 2, 2, checker, 0, 0, 4, 4, STRETCH_SMOOTH);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_NEAR(GetR(c(x, y)), 128, 1);

  Surface ramp(2, 1);
  ramp.At(0, 0) = 0xFF000000u;
  ramp.At(1, 0) = 0xFFFFFFFFu;
  c.dc.StretchBlt(0, 4, 4, 1, ramp, 0, 0, 2, 1, STRETCH_SMOOTH);
  EXPECT_EQ(GetR(c(0, 4)), 0);
  EXPECT_NEAR(GetR(c(1, 4)), 64, 1);
  EXPECT_NEAR(GetR(c(2, 4)), 191, 1);
  EXPECT_EQ(GetR(c(3, 4)), 255);

  // Flat colour stays exactly flat at any scale.
  Surface flat(7, 5, ToPixel(Rgb(37, 150, 201)));
  c.dc.StretchBlt(4, 6, 11, 9, flat, 0, 0, 7, 5, STRETCH_SMOOTH);
  EXPECT_EQ(CountInk(c.surface, Rgb(37, 150, 201), {4, 6, 15, 15}), 0);
}

TEST(Blit, DegenerateStretchesDoNothing) {
  Surface src(4, 4, ToPixel(kRed));
  Canvas c(8, 8, kGreen);
  c.dc.StretchBlt(0, 0, 0, 4, src, 0, 0, 4, 4);
  c.dc.StretchBlt(0, 0, 4, 4, src, 0, 0, 0, 4, STRETCH_SMOOTH);
  c.dc.StretchBlt(0, 0, 4, 4, src, 10, 10, 4, 4, STRETCH_SMOOTH);  // source wholly outside
  c.dc.StretchBlt(0, 0, 4, 4, Surface(), 0, 0, 4, 4);
  EXPECT_EQ(CountInk(c.surface, kGreen), 0);
}

TEST(SystemColours, ButtonFaceAndDepth) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xF0F0F0u);
  EXPECT_EQ(kBitsPerPixel, 32);
  EXPECT_EQ(kDotsPerInch, 96);
}

}  // namespace
