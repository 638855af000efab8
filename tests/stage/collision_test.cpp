#include <gtest/gtest.h>

#include <random>

#include "stage/model/collision.h"
#include "test_pictures.h"

using namespace stage;
using stagetest::RandomPicture;
using stagetest::SolidPicture;

namespace {

// A 10 x 10 picture whose solid pixels form the square [2, 8) x [2, 8).
SpritePtr FramedSquare() {
  Picture p = SolidPicture(10, 10, 0xFF000000u);
  for (int y = 2; y < 8; ++y)
    for (int x = 2; x < 8; ++x) p.frames[0].pixels.At(x, y) = 0x00112233u;
  return MakeSprite(std::move(p));
}

}  // namespace

TEST(Collision, TransparentOnlyOverlapIsNoCollision) {
  auto a = FramedSquare();
  // Rectangles overlap by two columns, but only transparent margins meet.
  EXPECT_FALSE(PixelOverlap({a.get(), 0, 0, 0}, {a.get(), 0, 8, 0}));
  EXPECT_TRUE(PixelOverlap({a.get(), 0, 0, 0}, {a.get(), 0, 5, 0}));
  // Key-coloured pixels are not solid either.
  auto keyed = MakeSprite(SolidPicture(10, 10, 0x000000FFu, /*COLORREF*/ 0x00FF0000u));
  EXPECT_FALSE(PixelOverlap({keyed.get(), 0, 0, 0}, {a.get(), 0, 0, 0}));
  EXPECT_FALSE(PixelOverlap({nullptr, 0, 0, 0}, {a.get(), 0, 0, 0}));
}

TEST(Collision, BorderBitsFollowSolidPixelsOnly) {
  auto a = FramedSquare();
  // Margin over the left edge, solid pixels inside: no bit.
  EXPECT_EQ(BorderBits({a.get(), 0, -2, 10}, 100, 100), 0);
  // Solid pixels across left and top at once.
  EXPECT_EQ(BorderBits({a.get(), 0, -4, -4}, 100, 100), kBorderLeft | kBorderTop);
  EXPECT_EQ(BorderBits({a.get(), 0, 95, 95}, 100, 100), kBorderRight | kBorderBottom);
  // Only the corner region beyond both edges is solid: never examined.
  Picture corner = SolidPicture(10, 10, 0xFF000000u);
  corner.frames[0].pixels.At(0, 0) = 0;
  auto c = MakeSprite(std::move(corner));
  EXPECT_EQ(BorderBits({c.get(), 0, -1, -1}, 100, 100), 0);
  EXPECT_TRUE(InsideStage({a.get(), 0, -3, 0}, 100, 100));
  EXPECT_FALSE(InsideStage({a.get(), 0, -8, 0}, 100, 100));  // only margin inside
  EXPECT_FALSE(InsideStage({a.get(), 0, 100, 0}, 100, 100));
  EXPECT_TRUE(InsideStage({nullptr, 0, 5, 5}, 100, 100));
  EXPECT_FALSE(InsideStage({nullptr, 0, -1, 5}, 100, 100));
}

// Each strip starts exactly at its edge: the stage's last column or row is inside, the
// first one past it is outside. The 2-pixel margin of FramedSquare puts its first solid
// column or row at frame offset 2 and its last at 7.
TEST(Collision, BorderStripsStartExactlyAtTheEdge) {
  auto a = FramedSquare();
  const int w = 100, h = 80;
  struct Case {
    int x, y, bits;
  } cases[] = {
      {w - 8, 30, 0},  {w - 7, 30, kBorderRight},   // last solid column on w - 1, then on w
      {-2, 30, 0},     {-3, 30, kBorderLeft},       // first solid column on 0, then on -1
      {40, h - 8, 0},  {40, h - 7, kBorderBottom},  // last solid row on h - 1, then on h
      {40, -2, 0},     {40, -3, kBorderTop},        // first solid row on 0, then on -1
  };
  for (const Case& c : cases) {
    const Placed p{a.get(), 0, c.x, c.y};
    EXPECT_EQ(BorderBits(p, w, h), c.bits) << "at " << c.x << "," << c.y;
    EXPECT_EQ(BorderBitsReference(p, w, h), c.bits) << "at " << c.x << "," << c.y;
  }
}

TEST(Collision, MasksAgreeWithPlainScanOnRandomPictures) {
  std::mt19937 rng(99);
  int overlaps = 0;
  for (int round = 0; round < 2000; ++round) {
    auto a = MakeSprite(RandomPicture(rng, 1 + int(rng() % 150), 1 + int(rng() % 40), 2));
    auto b = MakeSprite(RandomPicture(rng, 1 + int(rng() % 150), 1 + int(rng() % 40), 1));
    const Placed pa{a.get(), int(rng() % 3), int(rng() % 200) - 100, int(rng() % 60) - 30};
    const Placed pb{b.get(), 0, int(rng() % 200) - 100, int(rng() % 60) - 30};
    const bool fast = PixelOverlap(pa, pb);
    ASSERT_EQ(fast, PixelOverlapReference(pa, pb)) << "round " << round;
    overlaps += fast;
    ASSERT_EQ(InsideStage(pa, 80, 40), InsideStageReference(pa, 80, 40)) << "round " << round;
    ASSERT_EQ(BorderBits(pa, 80, 40), BorderBitsReference(pa, 80, 40)) << "round " << round;
  }
  // Both outcomes must have been exercised for the comparison to mean anything.
  EXPECT_GT(overlaps, 100);
  EXPECT_LT(overlaps, 1900);
}
