// The whole-factor fit of the client area and the way back for mouse positions.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "platform/letterbox.h"

namespace platform {
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "[" << r.left << "," << r.top << " " << r.right << "," << r.bottom << ")";
}
}  // namespace platform

using namespace platform;

namespace {

Rect R(int l, int t, int r, int b) { return {l, t, r, b}; }

}  // namespace

TEST(Letterbox, LargestWholeFactorCentredOnBlack) {
  // A 1080p screen fits two, not two and a quarter: 1280 x 960 with bars all round.
  Letterbox b = FitWholeFactor(640, 480, 1920, 1080);
  EXPECT_EQ(b.factor, 2);
  EXPECT_EQ(b.dest, R(320, 60, 1600, 1020));
  // Exactly three times.
  b = FitWholeFactor(640, 480, 1920, 1440);
  EXPECT_EQ(b.factor, 3);
  EXPECT_EQ(b.dest, R(0, 0, 1920, 1440));
  // The narrower side decides: a tall window.
  b = FitWholeFactor(640, 480, 1300, 2000);
  EXPECT_EQ(b.factor, 2);
  EXPECT_EQ(b.dest, R(10, 520, 1290, 1480));
  // An odd leftover leaves the extra pixel to the right and below.
  b = FitWholeFactor(640, 480, 641, 483);
  EXPECT_EQ(b.factor, 1);
  EXPECT_EQ(b.dest, R(0, 1, 640, 481));
  // Too small for the client area: factor 1, the middle shows.
  b = FitWholeFactor(640, 480, 600, 400);
  EXPECT_EQ(b.factor, 1);
  EXPECT_EQ(b.dest, R(-20, -40, 620, 440));
  // A degenerate output or client area never divides by zero.
  EXPECT_EQ(FitWholeFactor(640, 480, 0, 0).factor, 1);
  EXPECT_EQ(FitWholeFactor(0, 0, 100, 100).factor, 100);
}

TEST(Letterbox, MousePositionsMapBackThroughScaleAndOffset) {
  const Letterbox b = FitWholeFactor(640, 480, 1920, 1080);
  EXPECT_EQ(OutputToClient(b, {320, 60}), (Point{0, 0}));
  // Both output pixels of one client pixel land on it.
  EXPECT_EQ(OutputToClient(b, {321, 61}), (Point{0, 0}));
  EXPECT_EQ(OutputToClient(b, {322, 62}), (Point{1, 1}));
  EXPECT_EQ(OutputToClient(b, {1599, 1019}), (Point{639, 479}));
  EXPECT_EQ(OutputToClient(b, {960, 540}), (Point{320, 240}));
  // On the bars: outside the client area, on the right side of it (one pixel left of the
  // picture is column -1, not 0).
  EXPECT_EQ(OutputToClient(b, {319, 59}), (Point{-1, -1}));
  EXPECT_EQ(OutputToClient(b, {0, 0}), (Point{-160, -30}));
  EXPECT_EQ(OutputToClient(b, {1600, 1020}), (Point{640, 480}));
  EXPECT_EQ(OutputToClient(b, {1919, 1079}), (Point{799, 509}));
  // A window at --scale 3 and no bars.
  const Letterbox s = FitWholeFactor(640, 480, 1920, 1440);
  EXPECT_EQ(OutputToClient(s, {5, 1439}), (Point{1, 479}));
  // Every client pixel is reached from the output and round-trips.
  for (int x = 0; x < 640; x += 37)
    for (int y = 0; y < 480; y += 41)
      for (int dx = 0; dx < 2; ++dx)
        EXPECT_EQ(OutputToClient(b, {b.dest.left + 2 * x + dx, b.dest.top + 2 * y + dx}),
                  (Point{x, y}));
}

TEST(Letterbox, PositionsAtTheEndsOfTheRangeStayOffThePicture) {
  // A window smaller than the client area puts the picture at a negative offset; a
  // position at the far end of the range must not wrap round onto it.
  const Letterbox small = FitWholeFactor(640, 480, 600, 400);
  EXPECT_EQ(OutputToClient(small, {INT_MAX, INT_MAX}), (Point{INT_MAX, INT_MAX}));
  const Letterbox big = FitWholeFactor(640, 480, 16384, 16384);
  EXPECT_EQ(big.factor, 25);
  EXPECT_EQ(big.dest, R(192, 2192, 16192, 14192));
  EXPECT_EQ(OutputToClient(big, {INT_MIN, INT_MIN}).x, -85899354);  // (INT_MIN - 192) / 25, floored
  EXPECT_LT(OutputToClient(big, {INT_MIN, 0}).x, 0);
  EXPECT_GE(OutputToClient(big, {INT_MAX, 0}).x, 640);
}
