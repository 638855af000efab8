// The runtime's picture loader: each format it reads, and what it refuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/encoders/crafted.h"
#include "runtime/pictures/picture_loader.h"

namespace {

using encoders::BmpLayout;
using encoders::Bytes;

std::vector<uint32_t> Pixels(const platform::Surface& s) {
  return {s.Data(), s.Data() + s.Width() * s.Height()};
}

// A 3 x 2 picture used in several formats: top row red, green, blue; bottom row white,
// black, grey.
const std::vector<uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF,
                                        0xFFFFFF, 0x000000, 0x808080};
std::vector<uint32_t> Opaque(const std::vector<uint32_t>& rgb) {
  std::vector<uint32_t> out;
  for (uint32_t c : rgb) out.push_back(0xFF000000u | c);
  return out;
}

BmpLayout PaletteLayout(int bits) {
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.bitCount = bits;
  s.palette = kColours;
  if (bits == 1) s.palette = {0x000000, 0xFFFFFF};
  s.pixels = bits == 1 ? std::vector<uint32_t>{1, 0, 1, 0, 1, 0}
                       : std::vector<uint32_t>{0, 1, 2, 3, 4, 5};
  return s;
}

TEST(LoaderBmp, PaletteDepths) {
  for (int bits : {4, 8}) {
    auto s = rt::LoadPicture(encoders::BmpFile(PaletteLayout(bits)));
    ASSERT_TRUE(s) << bits;
    EXPECT_EQ(Pixels(*s), Opaque(kColours)) << bits;
  }
  auto mono = rt::LoadPicture(encoders::BmpFile(PaletteLayout(1)));
  ASSERT_TRUE(mono);
  EXPECT_EQ(Pixels(*mono), Opaque({0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0}));
}

TEST(LoaderBmp, TrueColourBottomUpAndTopDown) {
  for (bool topDown : {false, true}) {
    for (int bits : {24, 32}) {
      BmpLayout s;
      s.width = 3;
      s.height = 2;
      s.bitCount = bits;
      s.topDown = topDown;
      s.pixels = kColours;
      auto out = rt::LoadPicture(encoders::BmpFile(s));
      ASSERT_TRUE(out);
      EXPECT_EQ(Pixels(*out), Opaque(kColours)) << bits << " top-down " << topDown;
    }
  }
}

TEST(LoaderBmp, SixteenBitsDefaultAndBitfields) {
  BmpLayout s;
  s.width = 2;
  s.height = 1;
  s.bitCount = 16;
  s.pixels = {0x7C00, 0x001F};  // 5-5-5: red, blue
  auto out = rt::LoadPicture(encoders::BmpFile(s));
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0x0000FF}));
  s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5
  s.pixels = {0x07E0, 0x8410};         // green, half grey (16/31, 32/63, 16/31)
  out = rt::LoadPicture(encoders::BmpFile(s));
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0x00FF00, 0x848284}));
}

TEST(LoaderBmp, ThirtyTwoBitBitfieldsInV4Header) {
  BmpLayout s;
  s.width = 1;
  s.height = 1;
  s.bitCount = 32;
  s.compression = 3;
  s.headerSize = 108;
  s.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0};
  s.pixels = {0x11223344};  // red 0x33, green 0x22, blue 0x11
  auto out = rt::LoadPicture(encoders::BmpFile(s));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->At(0, 0), 0xFF332211u);
}

TEST(LoaderBmp, CaptureAreaImageReadsBack) {
  // Exactly what CaptureArea writes: 54-byte headers, 32 bits, rows bottom first,
  // fourth byte 0 (which must not be taken as transparency).
  Bytes b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,   // file header
             40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0,  // size, w, h, planes, bpp
             0, 0, 0, 0, 16, 0, 0, 0,                             // BI_RGB, image size
             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // resolution, colours
             // bottom row: black, white
             0, 0, 0, 0, 255, 255, 255, 0,
             // top row: red, blue (blue, green, red order)
             0, 0, 255, 0, 255, 0, 0, 0};
  auto out = rt::LoadPicture(b);
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0x0000FF, 0x000000, 0xFFFFFF}));
}

TEST(LoaderBmp, RunLengthEightBits) {
  BmpLayout s = PaletteLayout(8);
  Bytes b = encoders::BmpFile(s);
  // Replace the rows with RLE8: bottom row "3 4 5", top row "0 1 2" via a run and an
  // absolute run, then end of bitmap.
  const ptrdiff_t rows = 2 * 4;
  b.erase(b.end() - rows, b.end());
  const Bytes rle = {1, 3, 2, 4, 0, 0,         // 3, then 4 4 (clipped to width 3)
                     0, 3, 0, 1, 2, 0,         // absolute run of 3, padded
                     0, 1};                    // end of bitmap
  b[30] = 1;                                   // biCompression = BI_RLE8
  b.insert(b.end(), rle.begin(), rle.end());
  auto out = rt::LoadPicture(b);
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0}));
}

TEST(LoaderBmp, BrokenFilesGiveNothing) {
  Bytes b = encoders::BmpFile(PaletteLayout(8));
  Bytes bad = b;
  bad[28] = 7;  // 7 bits per pixel
  EXPECT_FALSE(rt::LoadPicture(bad));
  bad = b;
  bad[18] = 0;  // width 0
  EXPECT_FALSE(rt::LoadPicture(bad));
  bad = b;
  bad[22] = 0xFF, bad[23] = 0xFF, bad[24] = 0xFF, bad[25] = 0x7F;  // huge height
  EXPECT_FALSE(rt::LoadPicture(bad));
  EXPECT_FALSE(rt::LoadPicture(Bytes(b.begin(), b.end() - 1)));
}

TEST(LoaderJpeg, DecodesColourAndGrey) {
  std::vector<uint32_t> rgb(16 * 16, 0x3080C0);
  auto out = rt::LoadPicture(encoders::JpegFile(16, 16, rgb));
  ASSERT_TRUE(out);
  ASSERT_EQ(out->Width(), 16);
  const uint32_t p = out->At(8, 8);
  EXPECT_EQ(p >> 24, 0xFFu);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 0x30, 3);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 0x80, 3);
  EXPECT_NEAR(int(p & 0xFF), 0xC0, 3);
  std::vector<uint32_t> grey(8 * 8, 0x5A);
  out = rt::LoadPicture(encoders::JpegFile(8, 8, grey, 95, true));
  ASSERT_TRUE(out);
  EXPECT_NEAR(int(out->At(3, 3) & 0xFF), 0x5A, 2);
  EXPECT_EQ((out->At(3, 3) >> 8) & 0xFF, out->At(3, 3) & 0xFF);
}

TEST(LoaderJpeg, CutShortGivesNothing) {
  std::vector<uint32_t> rgb(32 * 32, 0x102030);
  Bytes j = encoders::JpegFile(32, 32, rgb);
  EXPECT_FALSE(rt::LoadPicture(Bytes(j.begin(), j.begin() + long(j.size() * 2 / 3))));
}

TEST(LoaderIcon, MaskedPartsAreWhiteAndLargestEntryWins) {
  BmpLayout small = PaletteLayout(8);
  small.width = 1, small.height = 1, small.pixels = {2};
  BmpLayout big = PaletteLayout(8);  // 3 x 2, black (index 4) under the mask
  big.pixels = {0, 4, 2, 4, 4, 5};
  const std::vector<uint8_t> mask = {0, 1, 0, 1, 0, 0}, smallMask = {0};
  auto ico = encoders::IconFile({{1, 1, 8, encoders::DibBytes(small, &smallMask)},
                                {3, 2, 8, encoders::DibBytes(big, &mask)}});
  auto out = rt::LoadPicture(ico);
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080}));
}

TEST(LoaderIcon, AlphaBlendsOverWhite) {
  BmpLayout s;
  s.width = 2, s.height = 1, s.bitCount = 32;
  s.pixels = {0xFF000000, 0x80000000};  // opaque black, half-transparent black
  const std::vector<uint8_t> mask = {0, 0};
  auto ico = encoders::IconFile({{2, 1, 32, encoders::DibBytes(s, &mask)}});
  auto out = rt::LoadPicture(ico);
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0x000000, 0x7F7F7F}));
}

TEST(LoaderIcon, PngEntryAndCursor) {
  // A 2 x 1 RGBA PNG: opaque red, fully transparent green.
  Bytes rows = {255, 0, 0, 255, 0, 255, 0, 0};
  Bytes png = encoders::PngFile(2, 1, 6, 8, rows);
  auto out = rt::LoadPicture(encoders::IconFile({{2, 1, 32, png}}));
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0xFFFFFF}));
  auto cur = rt::LoadPicture(encoders::IconFile({{2, 1, 32, png}}, 2));
  ASSERT_TRUE(cur);
  EXPECT_EQ(Pixels(*cur), Pixels(*out));
}

TEST(LoaderIcon, EntryOutsideTheFileGivesNothing) {
  const std::vector<uint8_t> mask(6, 0);
  auto ico = encoders::IconFile({{3, 2, 8, encoders::DibBytes(PaletteLayout(8), &mask)}});
  ASSERT_TRUE(rt::LoadPicture(ico));
  ico[21] = 0x7F;  // image offset far beyond the end
  EXPECT_FALSE(rt::LoadPicture(ico));
}

TEST(LoaderGif, FirstImageOnly) {
  auto g = encoders::GifBuilder(2, 1, {0xFF0000, 0x00FF00});
  g.Image(0, 0, 2, 1, {0, 1}).Image(0, 0, 2, 1, {1, 1}).Trailer();
  auto out = rt::LoadPicture(g.bytes);
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFF0000, 0x00FF00}));
}

TEST(LoaderPcx, TwoHundredFiftySixColoursAndMonochrome) {
  std::vector<uint8_t> idx = {0, 1, 2, 3, 4, 5};
  auto out = rt::LoadPicture(encoders::PcxFile(3, 2, 8, idx, kColours));
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque(kColours));
  // A long run crosses the 63-byte run limit.
  std::vector<uint8_t> wide(100, 1);
  out = rt::LoadPicture(encoders::PcxFile(100, 1, 8, wide, kColours));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->At(99, 0), 0xFF00FF00u);
  out = rt::LoadPicture(encoders::PcxFile(3, 1, 1, {1, 0, 1}));
  ASSERT_TRUE(out);
  EXPECT_EQ(Pixels(*out), Opaque({0xFFFFFF, 0, 0xFFFFFF}));
}

TEST(Loader, RefusesPngShortAndUnknownData) {
  Bytes png = encoders::PngFile(1, 1, 2, 8, {1, 2, 3});
  EXPECT_FALSE(rt::LoadPicture(png));
  EXPECT_FALSE(rt::LoadPicture(Bytes{'B', 'M', 0, 0, 0}));
  EXPECT_FALSE(rt::LoadPicture(Bytes(64, 0x55)));
  EXPECT_FALSE(rt::LoadPicture({}));
}

}  // namespace
