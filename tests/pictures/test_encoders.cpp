// The shared encoders: what they write through the format libraries decodes to what they
// were given, and a request the format cannot hold is refused rather than written wrong.
#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/byte_reader.h"
#include "stage/pictures/picture.h"
#include "tools/encoders/encoders.h"

namespace {

using ::testing::ElementsAre;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

std::vector<uint32_t> Pixels(const stage::PictureFrame& f) {
  return {f.pixels.Data(), f.pixels.Data() + f.pixels.Width() * f.pixels.Height()};
}

encoders::GifImage TwoFrames() {
  encoders::GifImage gif{.width = 4, .height = 2, .palette = {kRed, kGreen, kBlue}};
  gif.loop = true;
  gif.frames.push_back({.indices = {0, 1, 2, 0, 2, 2, 0, 1}, .delayCs = 7, .disposal = 1});
  // A sub-rectangle over the second row; index 1 is see-through there.
  gif.frames.push_back({.left = 1, .top = 1, .width = 2, .height = 1, .indices = {0, 1},
                        .delayCs = 30, .disposal = 1, .transparentIndex = 1});
  return gif;
}

TEST(Encoders, GifFramesDecodeToTheirColoursPlacesAndDelays) {
  const encoders::Bytes bytes = encoders::EncodeGif(TwoFrames());
  ASSERT_GT(bytes.size(), 13u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("NETSCAPE2.0"), std::string::npos);
  const auto p = stage::DecodeGif(bytes, {});
  ASSERT_TRUE(p);
  ASSERT_EQ(p->frames.size(), 2u);
  EXPECT_EQ(p->width, 4);
  EXPECT_EQ(p->height, 2);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(kRed, kGreen, kBlue, kRed, kBlue, kBlue, kRed, kGreen));
  // Only (1,1) changes: the see-through pixel keeps the first frame's blue.
  EXPECT_THAT(Pixels(p->frames[1]), ElementsAre(kRed, kGreen, kBlue, kRed, kBlue, kRed, kRed, kGreen));
  EXPECT_EQ(p->frames[0].delayMs, 70);
  EXPECT_EQ(p->frames[1].delayMs, 300);
}

TEST(Encoders, GifRequestsTheFormatCannotHoldAreRefused) {
  EXPECT_THROW(encoders::EncodeGif({.width = 4, .height = 2, .palette = {kRed}}), std::runtime_error)
      << "no frames";
  auto outside = TwoFrames();
  outside.frames[0].indices[3] = 4;  // the table holds 3 colours, padded to 4
  EXPECT_THROW(encoders::EncodeGif(outside), std::runtime_error);
  auto shortFrame = TwoFrames();
  shortFrame.frames[1].indices.pop_back();
  EXPECT_THROW(encoders::EncodeGif(shortFrame), std::runtime_error);
  auto noPalette = TwoFrames();
  noPalette.palette.clear();
  EXPECT_THROW(encoders::EncodeGif(noPalette), std::runtime_error);
}

TEST(Encoders, PngAndJpegKeepTheirSamples) {
  const auto png = stage::DecodePicture(
      encoders::PngFromArgb(2, 1, {0xFF102030u, 0x40A0B0C0u}), {});
  ASSERT_TRUE(png);
  // Transparency is 255 - alpha in the stage's pixels.
  EXPECT_THAT(Pixels(png->frames[0]), ElementsAre(0x00102030u, 0xBFA0B0C0u));
  EXPECT_THROW(encoders::EncodePng({.width = 2, .height = 2, .rows = encoders::Bytes(7)}),
               std::runtime_error);

  const auto jpeg = stage::DecodePicture(
      encoders::EncodeJpeg({.width = 16, .height = 8, .samples = encoders::Bytes(16 * 8 * 3, 200),
                            .optimizeCoding = true, .fullChroma = true}),
      {});
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->width, 16);
  EXPECT_EQ(jpeg->height, 8);
  for (uint32_t px : Pixels(jpeg->frames[0])) EXPECT_NEAR(double(px & 0xFF), 200.0, 2.0);
  EXPECT_THROW(encoders::EncodeJpeg({.width = 16, .height = 8, .samples = encoders::Bytes(10)}),
               std::runtime_error);
}

TEST(Encoders, WaveHeaderDescribesTheSamples) {
  const std::vector<int16_t> samples = {1, -1, 300, -300};
  const encoders::Bytes wave = encoders::EncodeWave(samples, 2, 22050);
  platform::ByteReader r(wave);
  EXPECT_TRUE(r.Tag("RIFF"));
  EXPECT_EQ(r.U32Le(), wave.size() - 8);
  EXPECT_TRUE(r.Tag("WAVEfmt "));
  EXPECT_EQ(r.U32Le(), 16u);
  EXPECT_EQ(r.U16Le(), 1);      // PCM
  EXPECT_EQ(r.U16Le(), 2);      // channels
  EXPECT_EQ(r.U32Le(), 22050u);
  EXPECT_EQ(r.U32Le(), 22050u * 4);
  EXPECT_EQ(r.U16Le(), 4);      // block align
  EXPECT_EQ(r.U16Le(), 16);
  EXPECT_TRUE(r.Tag("data"));
  EXPECT_EQ(r.U32Le(), 8u);
  EXPECT_EQ(r.I16Le(), 1);
  EXPECT_EQ(r.I16Le(), -1);
  EXPECT_EQ(r.I16Le(), 300);
  EXPECT_EQ(r.I16Le(), -300);
  EXPECT_TRUE(r.AtEnd());
}

}  // namespace
