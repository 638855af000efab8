// Stage picture decoding by signature, PNG, text pictures and the five transforms.
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/encoders/crafted.h"
#include "platform/draw.h"
#include "stage/pictures/picture.h"

namespace {

using stage::KeyRequest;
using stage::Picture;
using encoders::Bytes;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<uint32_t> Pixels(const stage::PictureFrame& f) {
  return {f.pixels.Data(), f.pixels.Data() + f.pixels.Width() * f.pixels.Height()};
}

// A one- or more-frame picture from rows of 0xTTRRGGBB values.
Picture Make(int w, int h, std::vector<uint32_t> px, uint32_t key = stage::kDefaultColour,
             int frames = 1) {
  Picture p;
  p.width = w;
  p.height = h;
  for (int f = 0; f < frames; ++f) {
    stage::PictureFrame frame;
    frame.pixels = platform::Surface(w, h);
    std::copy(px.begin(), px.end(), frame.pixels.Data());
    frame.key = key;
    frame.delayMs = 70 + f;
    p.frames.push_back(std::move(frame));
  }
  return p;
}

// ---- decoding by signature -------------------------------------------------------------

TEST(StageDecode, PngSamplesBecomeEightBitBgrWithTransparencyFromAlpha) {
  // 16-bit RGB: only the high byte of each sample survives.
  auto p = stage::DecodePicture(encoders::PngFile(1, 1, 2, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}),
                                {});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames[0].pixels.At(0, 0), 0x0012ABFFu);
  // 4-bit palette.
  p = stage::DecodePicture(encoders::PngFile(2, 1, 3, 4, {0x01}, {0x102030, 0x405060}), {});
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(0x102030u, 0x405060u));
  // 2-bit grey on an even ramp.
  p = stage::DecodePicture(encoders::PngFile(4, 1, 0, 2, {0x1B}), {});
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(0x000000u, 0x555555u, 0xAAAAAAu, 0xFFFFFFu));
  // RGBA: transparency = 255 - alpha.
  p = stage::DecodePicture(encoders::PngFile(2, 1, 6, 8, {1, 2, 3, 0x40, 4, 5, 6, 0xFF}), {});
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(0xBF010203u, 0x00040506u));
  // Palette transparency is honoured too.
  p = stage::DecodePicture(encoders::PngFile(2, 1, 3, 8, {0, 1}, {0xFF0000, 0x00FF00}, {0x00}), {});
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(0xFFFF0000u, 0x0000FF00u));
  EXPECT_EQ(p->frames[0].delayMs, 0);
}

TEST(StageDecode, KeyArgumentOnStills) {
  const Bytes png = encoders::PngFile(2, 1, 2, 8, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
  EXPECT_EQ(stage::DecodePicture(png, KeyRequest::FromArgument(-2))->frames[0].key, 0x332211u);
  EXPECT_EQ(stage::DecodePicture(png, KeyRequest::FromArgument(0xABCDEF))->frames[0].key,
            0xABCDEFu);
  EXPECT_EQ(stage::DecodePicture(png, KeyRequest::FromArgument(0xFF000000))->frames[0].key,
            stage::kDefaultColour);
  encoders::BmpLayout bmp;
  bmp.width = 1, bmp.height = 1, bmp.pixels = {0x445566};
  auto p = stage::DecodePicture(encoders::BmpFile(bmp), KeyRequest::FromArgument(-2));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames[0].pixels.At(0, 0), 0x00445566u);  // opaque: transparency byte 0
  EXPECT_EQ(p->frames[0].key, 0x665544u);
}

TEST(StageDecode, UndecodableGivesNoPicture) {
  EXPECT_FALSE(stage::DecodePicture(Bytes{}, {}));
  EXPECT_FALSE(stage::DecodePicture(Bytes{'G', 'I', 'F', '8', '9', 'a'}, {}));
  EXPECT_FALSE(stage::DecodePicture(Bytes(100, 0), {}));
  Bytes png = encoders::PngFile(4, 4, 2, 8, Bytes(48, 7));
  EXPECT_FALSE(stage::DecodePicture(Bytes(png.begin(), png.end() - 20), {}));
}

// ---- transforms ------------------------------------------------------------------------

// 3 x 2:  1 2 3
//         4 5 6
const std::vector<uint32_t> k3x2 = {1, 2, 3, 4, 5, 6};

TEST(Transforms, FlipTypes) {
  const std::vector<std::vector<uint32_t>> expected = {
      {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {4, 5, 6, 1, 2, 3}, {6, 5, 4, 3, 2, 1}};
  for (int type = 0; type < 4; ++type) {
    Picture p = Make(3, 2, k3x2);
    stage::FlipPicture(p, type);
    EXPECT_THAT(Pixels(p.frames[0]), ElementsAreArray(expected[size_t(type)])) << type;
  }
}

TEST(Transforms, RightAngleRotationsAreExact) {
  const Picture p = Make(3, 2, k3x2, 0x123456, 2);
  Picture r = stage::RotatePicture(p, 90);
  ASSERT_EQ(r.width, 2);
  ASSERT_EQ(r.height, 3);
  EXPECT_THAT(Pixels(r.frames[1]), ElementsAre(4, 1, 5, 2, 6, 3));
  EXPECT_EQ(r.frames[1].key, 0x123456u);
  EXPECT_EQ(r.frames[1].delayMs, 71);
  r = stage::RotatePicture(p, 180);
  EXPECT_THAT(Pixels(r.frames[0]), ElementsAre(6, 5, 4, 3, 2, 1));
  r = stage::RotatePicture(p, -90);  // same as 270
  ASSERT_EQ(r.width, 2);
  EXPECT_THAT(Pixels(r.frames[0]), ElementsAre(3, 6, 2, 5, 1, 4));
  r = stage::RotatePicture(p, 720);
  EXPECT_THAT(Pixels(r.frames[0]), ElementsAreArray(k3x2));
}

TEST(Transforms, OtherAnglesFillTheBoundingBox) {
  std::vector<uint32_t> px(10 * 10, 0x00AA0000);
  px[5 * 10 + 5] = 0x00000001;
  const Picture p = Make(10, 10, px);
  Picture r = stage::RotatePicture(p, 45);
  EXPECT_EQ(r.width, 15);  // ceil(10 cos 45 + 10 sin 45) = ceil(14.14)
  EXPECT_EQ(r.height, 15);
  EXPECT_EQ(r.frames[0].pixels.At(0, 0), 0xFFFFFFFFu);  // corner: outside the source
  EXPECT_EQ(r.frames[0].pixels.At(7, 7), 1u);  // centre to centre
  EXPECT_EQ(r.frames[0].pixels.At(7, 3), 0x00AA0000u);
}

TEST(Transforms, ZoomStepsAndRounding) {
  // 3 pixels to round(3 x 1.5) = 5 (4.5 rounds up); step = trunc(3/5 x 256) = 153;
  // source index = 153 x i >> 8: 0 0 1 1 2.
  Picture p = Make(3, 1, {1, 2, 3});
  auto z = stage::ZoomPicture(p, 1500, 1000);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->width, 5);
  EXPECT_THAT(Pixels(z->frames[0]), ElementsAre(1, 1, 2, 2, 3));
  // Shrink: 4 to 2, step 512: indices 0 and 2.
  z = stage::ZoomPicture(Make(4, 1, {1, 2, 3, 4}), 500, 1000);
  ASSERT_TRUE(z);
  EXPECT_THAT(Pixels(z->frames[0]), ElementsAre(1, 3));
  // One axis grows, the other shrinks.
  z = stage::ZoomPicture(Make(2, 4, {1, 2, 3, 4, 5, 6, 7, 8}), 2000, 500);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->width, 4);
  EXPECT_EQ(z->height, 2);
  EXPECT_THAT(Pixels(z->frames[0]), ElementsAre(1, 1, 2, 2, 5, 5, 6, 6));
}

TEST(Transforms, ZoomClearsKeysKeepsTransparencyAndCanVanish) {
  Picture p = Make(2, 2, {0xFF000001, 2, 3, 4}, 0x000002, 3);
  auto z = stage::ZoomPicture(p, 2000, 2000);
  ASSERT_TRUE(z);
  ASSERT_EQ(z->frames.size(), 3u);
  for (const auto& f : z->frames) {
    EXPECT_EQ(f.key, stage::kDefaultColour);
    EXPECT_EQ(f.pixels.At(1, 1), 0xFF000001u);
  }
  EXPECT_EQ(z->frames[2].delayMs, 72);
  auto same = stage::ZoomPicture(p, 1000, 1000);
  EXPECT_EQ(same->frames[0].key, 0x000002u);
  EXPECT_EQ(stage::ZoomPicture(p, 0, 500)->width, 2);  // a zero zoom changes nothing
  EXPECT_FALSE(stage::ZoomPicture(p, 1000, 200));       // 2 x 0.2 rounds to 0
}

TEST(Transforms, ZoomedColourKeyedJpegShowsItsKeyColour) {
  std::vector<uint32_t> rgb(16 * 16, 0xFFFFFF);
  for (int i = 0; i < 8 * 16; ++i) rgb[size_t(i)] = 0x000000;
  auto p = stage::DecodePicture(encoders::JpegFile(16, 16, rgb), KeyRequest::FromArgument(-2));
  ASSERT_TRUE(p);
  const uint32_t keyPixel = p->frames[0].pixels.At(0, 0);
  EXPECT_EQ(p->frames[0].key, platform::FromPixel(keyPixel));
  auto z = stage::ZoomPicture(*p, 1500, 1500);
  ASSERT_TRUE(z);
  EXPECT_EQ(z->frames[0].key, stage::kDefaultColour);
  EXPECT_EQ(z->frames[0].pixels.At(0, 0), keyPixel);  // opaque, key colour and all
}

TEST(Transforms, TintRoundsAndSparesTheKey) {
  // Key is COLORREF 0x000002 (red 2); that pixel must not change.
  Picture p = Make(3, 1, {0x00000000, 0x00020000, 0xFF0000FF}, 0x000002);
  stage::TintPicture(p, 0xFFFFFF, 50);
  // 0 -> 128 (127.5 rounds up), 255 -> 255; the transparency byte is kept.
  EXPECT_THAT(Pixels(p.frames[0]), ElementsAre(0x00808080u, 0x00020000u, 0xFF8080FFu));
  Picture q = Make(1, 1, {0x000000FF});
  stage::TintPicture(q, 0x000000, 50);  // 255 - 127.5 -> 127
  EXPECT_EQ(q.frames[0].pixels.At(0, 0), 0x0000007Fu);
  stage::TintPicture(q, 0x00FF00, 0);
  EXPECT_EQ(q.frames[0].pixels.At(0, 0), 0x0000007Fu);
  stage::TintPicture(q, 0x0000FF, 250);  // counts as 100: red fully
  EXPECT_EQ(q.frames[0].pixels.At(0, 0), 0x00FF0000u);
}

TEST(Transforms, BrightnessRoundsAndClamps) {
  Picture p = Make(4, 1, {0x00643205, 0x00C8C8C8, 0x00000002, 0x00010101}, 0x010101);
  stage::BrightenPicture(p, 50);
  // 100 -> 150, 50 -> 75, 5 -> 8 (7.5 up); 200 -> 255; the key pixel stays.
  EXPECT_THAT(Pixels(p.frames[0]), ElementsAre(0x00964B08u, 0x00FFFFFFu, 0x00000003u, 0x00010101u));
  Picture q = Make(1, 1, {0x00640A05});
  stage::BrightenPicture(q, -50);  // 50, 5, 2 (2.5 away from zero)
  EXPECT_EQ(q.frames[0].pixels.At(0, 0), 0x00320502u);
}

// ---- text pictures ---------------------------------------------------------------------

TEST(TextPicture, TwoLinesWithTwoPixelGapInOneColour) {
  auto p = stage::RenderText("A\r\nB\n", nullptr, 0x0000FF);
  ASSERT_TRUE(p);
  platform::Surface scratch(1, 1);
  platform::DC dc(&scratch);
  dc.SelectFont(platform::CreateFont(platform::DefaultGuiFont()));
  const platform::Point a = dc.GetTextExtent("A"), b = dc.GetTextExtent("B");
  EXPECT_EQ(p->height, a.y + 2 + b.y);
  EXPECT_EQ(p->width, std::max(a.x, b.x));
  ASSERT_EQ(p->frames.size(), 1u);
  const auto& f = p->frames[0];
  EXPECT_EQ(f.key, 0xFFFFFFu);
  EXPECT_EQ(f.delayMs, 0);
  std::set<uint32_t> colours(f.pixels.Data(), f.pixels.Data() + p->width * p->height);
  EXPECT_THAT(colours, ElementsAre(0x00FF0000u, 0x00FFFFFFu));  // red ink, white paper
  auto inkIn = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < p->width; ++x) n += f.pixels.At(x, y) == 0x00FF0000u;
    return n;
  };
  EXPECT_GT(inkIn(0, a.y), 0);
  EXPECT_EQ(inkIn(a.y, a.y + 2), 0);
  EXPECT_GT(inkIn(a.y + 2, p->height), 0);
}

TEST(TextPicture, WhiteTextOnBlackAndEmptyText) {
  auto p = stage::RenderText("Hi", nullptr, 0xFFFFFF);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames[0].key, 0x000000u);
  EXPECT_EQ(p->frames[0].pixels.At(0, 0) & 0xFF000000u, 0u);
  EXPECT_FALSE(stage::RenderText("", nullptr, 0));
}

}  // namespace
