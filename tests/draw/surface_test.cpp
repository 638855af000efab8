// Surfaces: construction, clipped fills and PNG output read back through libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/surface.h"
#include "test_util.h"

namespace {

using namespace platform;

// Decodes an 8-bit RGB PNG held in memory into (width, height, rgb bytes).
struct Decoded {
  uint32_t width = 0, height = 0;
  int colourType = -1, bitDepth = 0;
  std::vector<uint8_t> rgb;
};
Decoded DecodeRgb(const std::vector<uint8_t>& bytes) {
  Decoded d;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return d;
  image.format = PNG_FORMAT_RGB;
  d.width = image.width;
  d.height = image.height;
  d.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, d.rgb.data(), 0, nullptr)) d.rgb.clear();
  // The header's own colour type and depth, straight from IHDR.
  d.bitDepth = bytes.size() > 25 ? bytes[24] : 0;
  d.colourType = bytes.size() > 25 ? bytes[25] : -1;
  return d;
}

TEST(Surface, ConstructionFillAndResize) {
  Surface s(4, 3, 0xFF112233u);
  EXPECT_EQ(s.Width(), 4);
  EXPECT_EQ(s.Height(), 3);
  EXPECT_EQ(s.At(3, 2), 0xFF112233u);
  s.Resize(2, 2, 0xFF000001u);
  EXPECT_EQ(s.At(1, 1), 0xFF000001u);
  EXPECT_EQ(s.Bounds(), (Rect{0, 0, 2, 2}));
  // Nonsense sizes give an empty surface rather than a huge or negative allocation.
  for (auto [w, h] : {std::pair{-1, 5}, {5, 0}, {1 << 20, 1 << 20}}) {
    Surface bad(w, h);
    EXPECT_TRUE(bad.Empty());
    EXPECT_EQ(bad.Data(), nullptr);
  }
}

TEST(Surface, FillIsClippedToTheSurface) {
  Surface s(5, 5, 0xFF000000u);
  s.Fill({-3, 3, 2, 99}, 0xFFFFFFFFu);
  EXPECT_EQ(s.At(0, 3), 0xFFFFFFFFu);
  EXPECT_EQ(s.At(1, 4), 0xFFFFFFFFu);
  EXPECT_EQ(s.At(2, 4), 0xFF000000u);  // right edge is exclusive
  EXPECT_EQ(s.At(0, 2), 0xFF000000u);
  s.Fill({4, 4, 2, 2}, 0xFF0000FFu);  // inverted: nothing
  s.Fill({10, 10, 20, 20}, 0xFF0000FFu);
  EXPECT_EQ(s.At(4, 4), 0xFF000000u);
}

TEST(Png, EncodesRgbInTheRightOrderAndDropsAlpha) {
  Surface s(3, 2, 0xFF000000u);
  s.At(0, 0) = ToPixel(Rgb(255, 0, 0));
  s.At(1, 0) = ToPixel(Rgb(0, 255, 0));
  s.At(2, 0) = ToPixel(Rgb(0, 0, 255));
  s.At(0, 1) = 0x00123456u;  // alpha 0 must not make the pixel vanish
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodePng(s, bytes));
  const Decoded d = DecodeRgb(bytes);
  ASSERT_EQ(d.width, 3u);
  ASSERT_EQ(d.height, 2u);
  EXPECT_EQ(d.bitDepth, 8);
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_RGB);
  ASSERT_EQ(d.rgb.size(), 18u);
  const std::vector<uint8_t> firstRow(d.rgb.begin(), d.rgb.begin() + 9);
  EXPECT_EQ(firstRow, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255}));
  EXPECT_EQ(d.rgb[9], 0x12);
  EXPECT_EQ(d.rgb[10], 0x34);
  EXPECT_EQ(d.rgb[11], 0x56);
}

TEST(Png, SamePixelsGiveTheSameBytesEveryTime) {
  Surface s(40, 30, 0xFF808080u);
  for (int i = 0; i < 30; ++i) s.At(i, i) = 0xFFFF0000u;
  std::vector<uint8_t> a, b;
  ASSERT_TRUE(EncodePng(s, a));
  ASSERT_TRUE(EncodePng(s, b));
  EXPECT_EQ(a, b);
  // No time stamp or text chunk is written.
  const std::string text(a.begin(), a.end());
  EXPECT_EQ(text.find("tIME"), std::string::npos);
  EXPECT_EQ(text.find("tEXt"), std::string::npos);

  const std::string path = drawtest::ScratchPath("draw_png_roundtrip.png");
  ASSERT_TRUE(WritePng(s, path));
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(file, a);
  std::remove(path.c_str());
}

TEST(Png, FailuresAreReportedNotHidden) {
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_FALSE(EncodePng(Surface(), bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(WritePng(Surface(2, 2), "/nonexistent-folder/x.png"));
  EXPECT_FALSE(WritePng(Surface(), drawtest::ScratchPath("draw_empty.png")));
}

}  // namespace
