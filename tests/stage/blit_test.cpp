#include <gtest/gtest.h>

#include <random>

#include "stage/pictures/blit.h"
#include "stage/pictures/pixels.h"
#include "test_pictures.h"

using namespace stage;
using stagetest::RandomPicture;
using stagetest::SolidPicture;

namespace {

platform::Surface Background(int w, int h, std::mt19937& rng) {
  platform::Surface s(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.At(x, y) = rng() | 0xFF000000u;
  return s;
}

}  // namespace

TEST(Blend, HalfTransparentPixelGivesExactBytes) {
  // Source B=200 G=100 R=10 with transparency byte 100, object alpha 20 %:
  // o = round(20 x 255 / 100) + 100 = 51 + 100 = 151, weight 104.
  // blue:  50 + round((200 - 50) x 104 / 255) = 50 + round(61.18) = 111
  // green: 60 + round((100 - 60) x 104 / 255) = 60 + round(16.31) = 76
  // red:   70 + round((10 - 70) x 104 / 255)  = 70 - round(24.47) = 46
  auto sprite = MakeSprite(SolidPicture(1, 1, 0x640A64C8u));
  platform::Surface buf(1, 1, 0xFF463C32u);
  BlendSprite(buf, {0, 0}, *sprite, 0, 0, 0, 20);
  EXPECT_EQ(buf.At(0, 0) & 0x00FFFFFFu, 0x002E4C6Fu);
  platform::Surface ref(1, 1, 0xFF463C32u);
  BlendSpriteReference(ref, {0, 0}, *sprite, 0, 0, 0, 20);
  EXPECT_EQ(ref.At(0, 0), buf.At(0, 0));
}

TEST(Blend, AlphaLimitsAndKeys) {
  auto red = MakeSprite(SolidPicture(2, 1, 0x00FF0000u));
  platform::Surface buf(2, 1, 0xFF0000FFu);
  BlendSprite(buf, {0, 0}, *red, 0, 0, 0, 100);  // invisible
  EXPECT_EQ(buf.At(0, 0), 0xFF0000FFu);
  BlendSprite(buf, {0, 0}, *red, 0, 0, 0, 250);  // above 100: invisible too
  EXPECT_EQ(buf.At(1, 0), 0xFF0000FFu);
  BlendSprite(buf, {0, 0}, *red, 0, 0, 0, -40);  // below 0: opaque
  EXPECT_EQ(buf.At(0, 0) & 0xFFFFFFu, 0xFF0000u);

  // The key compares colour bytes only: a translucent key-coloured pixel is skipped.
  Picture keyed = SolidPicture(2, 1, 0x80FF0000u, /*key COLORREF red*/ 0x000000FFu);
  keyed.frames[0].pixels.At(1, 0) = 0x0000FF00u;
  auto ks = MakeSprite(std::move(keyed));
  platform::Surface kb(2, 1, 0xFF123456u);
  BlendSprite(kb, {0, 0}, *ks, 0, 0, 0, 0);
  EXPECT_EQ(kb.At(0, 0), 0xFF123456u);
  EXPECT_EQ(kb.At(1, 0) & 0xFFFFFFu, 0x00FF00u);
}

TEST(Blend, FastPathsMatchReferenceOnRandomInput) {
  std::mt19937 rng(1234);
  const int alphas[] = {0, 0, 1, 20, 50, 99, 100, -3};
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 30);
    auto sprite = MakeSprite(RandomPicture(rng, w, h, 2));
    ASSERT_TRUE(sprite);
    const int bw = 1 + int(rng() % 90), bh = 1 + int(rng() % 40);
    const platform::Point origin{int(rng() % 20) - 10, int(rng() % 20) - 10};
    const int x = int(rng() % 120) - 60, y = int(rng() % 60) - 30;
    const int alpha = alphas[rng() % 8];
    const int frame = int(rng() % 2);
    platform::Surface fast = Background(bw, bh, rng);
    platform::Surface ref = fast;
    BlendSprite(fast, origin, *sprite, frame, x, y, alpha);
    BlendSpriteReference(ref, origin, *sprite, frame, x, y, alpha);
    for (int py = 0; py < bh; ++py)
      for (int px = 0; px < bw; ++px)
        ASSERT_EQ(fast.At(px, py), ref.At(px, py))
            << "round " << round << " at " << px << "," << py << " alpha " << alpha;
  }
}
