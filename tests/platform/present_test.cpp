#include <gtest/gtest.h>

#include <vector>

#include "platform/present.h"

using namespace platform;

namespace {

Surface Numbered(int w, int h) {
  Surface s(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.At(x, y) = 0xFF000000u | uint32_t(y * 1000 + x);
  return s;
}

}  // namespace

TEST(DirtyRects, NearbyAreasMergeFarOnesStayApartAndManyBecomeOne) {
  std::vector<Rect> rects;
  AddDirtyRect(rects, {});  // nothing painted, nothing added
  EXPECT_TRUE(rects.empty());
  AddDirtyRect(rects, {10, 10, 50, 50});
  AddDirtyRect(rects, {20, 20, 60, 60});  // a step of the same sprite: one box wastes little
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].left, 10);
  EXPECT_EQ(rects[0].bottom, 60);
  AddDirtyRect(rects, {100, 10, 140, 50});  // beside it, with a gap: kept apart
  EXPECT_EQ(rects.size(), 2u);
  AddDirtyRect(rects, {500, 400, 540, 440});  // far away: merging would waste a lot
  EXPECT_EQ(rects.size(), 3u);
  // A box that joins both into one worthwhile merge takes them all.
  AddDirtyRect(rects, {0, 0, 640, 480});
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].right, 640);

  rects.clear();
  for (int i = 0; i < int(kMaxDirtyRects) + 1; ++i)
    AddDirtyRect(rects, {i * 50, i * 30, i * 50 + 4, i * 30 + 4});
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].left, 0);
  EXPECT_EQ(rects[0].right, int(kMaxDirtyRects) * 50 + 4);
  EXPECT_EQ(rects[0].bottom, int(kMaxDirtyRects) * 30 + 4);
}

TEST(DirtyRects, ScaledCopyWritesExactlyTheChangedSquaresAndCutsAtTheOutput) {
  const Surface frame = Numbered(8, 6);
  const Letterbox box{3, {2, 1, 2 + 24, 1 + 18}};
  const int w = 26, h = 19;
  std::vector<uint32_t> out(size_t(w * h), 0x12345678u);
  const Rect dirty[] = {{1, 2, 3, 3}, {7, 5, 9, 9}};  // the second reaches past the frame
  const std::vector<Rect> written = CopyScaledRects(frame, dirty, box, out.data(), w, w, h);
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].left, 5);
  EXPECT_EQ(written[0].top, 7);
  EXPECT_EQ(written[0].right, 11);
  EXPECT_EQ(written[0].bottom, 10);
  EXPECT_EQ(written[1].left, 23);
  EXPECT_EQ(written[1].right, 26);
  EXPECT_EQ(written[1].bottom, 19);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t got = out[size_t(y * w + x)];
      const bool inside = (x >= 5 && x < 11 && y >= 7 && y < 10) || (x >= 23 && y >= 16);
      if (!inside) {
        EXPECT_EQ(got, 0x12345678u) << x << "," << y;
        continue;
      }
      const int fx = (x - 2) / 3, fy = (y - 1) / 3;
      EXPECT_EQ(got, frame.At(fx, fy)) << x << "," << y;
    }
  }

  // Factor 1, placed off the output's left edge: only the visible part is copied.
  std::vector<uint32_t> small(size_t(4 * 3), 0);
  const Letterbox shifted{1, {-2, 0, 6, 6}};
  const Rect all = frame.Bounds();
  const auto part = CopyScaledRects(frame, std::span<const Rect>(&all, 1), shifted, small.data(), 4, 4, 3);
  ASSERT_EQ(part.size(), 1u);
  EXPECT_EQ(small[0], frame.At(2, 0));
  EXPECT_EQ(small[size_t(2 * 4 + 3)], frame.At(5, 2));

  // Factor 2 with the left edge cut half-way through a frame pixel: the first output
  // column is the second half of frame column 1, and every pixel follows from there.
  std::vector<uint32_t> wide(size_t(9 * 4), 0);
  const Letterbox cut{2, {-3, 0, 13, 12}};
  const auto copied = CopyScaledRects(frame, std::span<const Rect>(&all, 1), cut, wide.data(), 9, 9, 4);
  ASSERT_EQ(copied.size(), 1u);
  EXPECT_EQ(copied[0].left, 0);
  EXPECT_EQ(copied[0].right, 9);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(wide[size_t(y * 9 + x)], frame.At((x + 3) / 2, y / 2)) << x << "," << y;
}

TEST(DirtyRects, ScaledCopyMatchesPixelByPixelScalingForEveryFactorAndEdgeCut) {
  const Surface frame = Numbered(7, 5);
  for (int k = 2; k <= 5; ++k) {
    for (int cutLeft = 0; cutLeft < k; ++cutLeft) {
      for (int cutTop = 0; cutTop < k; ++cutTop) {
        // The output ends part-way through the last frame pixel on the right and below.
        const int w = 7 * k - cutLeft - 1, h = 5 * k - cutTop - 1;
        const Letterbox box{k, {-cutLeft, -cutTop, 7 * k - cutLeft, 5 * k - cutTop}};
        std::vector<uint32_t> out(size_t(w * h), 0);
        const Rect dirty[] = {{1, 1, 6, 4}, {0, 4, 7, 5}};
        CopyScaledRects(frame, dirty, box, out.data(), w, w, h);
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            const int fx = (x + cutLeft) / k, fy = (y + cutTop) / k;
            const bool changed = (fx >= 1 && fx < 6 && fy >= 1 && fy < 4) || fy == 4;
            ASSERT_EQ(out[size_t(y * w + x)], changed ? frame.At(fx, fy) : 0u)
                << "k " << k << " cut " << cutLeft << "," << cutTop << " at " << x << "," << y;
          }
        }
      }
    }
  }
}
