// The stage's GIF decoder: composition, disposal, key skipping, interlace, delays and
// the LZW stream itself.
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tools/encoders/crafted.h"
#include "runtime/pictures/lzw.h"
#include "stage/pictures/picture.h"

namespace {

using encoders::GifBuilder;
using ::testing::ElementsAre;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
const std::vector<uint32_t> kTable = {kRed, kGreen, kBlue, kWhite};
constexpr uint32_t kCanvas = 0xFFFFFFFF;  // transparent white

uint32_t Opaque(uint32_t rgb) { return rgb; }  // transparency byte 0

std::optional<stage::Picture> Decode(const encoders::Bytes& b,
                                     stage::KeyRequest key = stage::KeyRequest{}) {
  return stage::DecodeGif(b, key);
}

std::vector<uint32_t> Pixels(const stage::PictureFrame& f) {
  return {f.pixels.Data(), f.pixels.Data() + f.pixels.Width() * f.pixels.Height()};
}

TEST(GifLzw, RoundTripsRandomAndRepetitiveStreams) {
  std::mt19937 rng(7);
  rt::pictures::LzwDecoder decoder;
  for (int minCode : {1, 2, 4, 8}) {
    for (size_t size : {1u, 2u, 17u, 1000u, 70000u}) {
      for (int repetitive = 0; repetitive < 2; ++repetitive) {
        std::vector<uint8_t> in(size);
        for (auto& v : in)
          v = repetitive ? uint8_t((rng() % 8 == 0) ? 1 : 0) : uint8_t(rng() % (1u << minCode));
        const auto codes = encoders::LzwEncode(minCode, in);
        std::vector<uint8_t> out(size + 8, 0xEE);
        ASSERT_EQ(decoder.Decode(minCode, codes, out.data(), size), size)
            << "min code " << minCode << " size " << size;
        EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
        EXPECT_EQ(out[size], 0xEE) << "wrote past the end";
      }
    }
  }
}

TEST(GifLzw, DamagedStreamsStopAtTheDamage) {
  rt::pictures::LzwDecoder decoder;
  std::vector<uint8_t> in(300, 0);
  for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i % 3);
  auto codes = encoders::LzwEncode(2, in);
  std::vector<uint8_t> out(in.size());
  // Half the stream: some pixels, fewer than all.
  auto half = std::span<const uint8_t>(codes).first(codes.size() / 2);
  size_t n = decoder.Decode(2, half, out.data(), out.size());
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, in.size());
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + long(n), in.begin()));
  // A first code that is not a root, and impossible minimum code sizes, give nothing.
  const uint8_t badFirst[] = {0x04 | (0x07 << 3), 0};  // clear (4), then code 7
  EXPECT_EQ(decoder.Decode(2, badFirst, out.data(), out.size()), 0u);
  EXPECT_EQ(decoder.Decode(0, codes, out.data(), out.size()), 0u);
  EXPECT_EQ(decoder.Decode(12, codes, out.data(), out.size()), 0u);
}

TEST(GifDecoder, HeaderGivesCanvasSizeAndOneFramePerImage) {
  auto g = GifBuilder(3, 2, kTable);
  g.Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->width, 3);
  EXPECT_EQ(p->height, 2);
  ASSERT_EQ(p->frames.size(), 1u);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(Opaque(kRed), Opaque(kGreen), Opaque(kBlue),
                                                Opaque(kWhite), Opaque(kBlue), Opaque(kGreen)));
  EXPECT_EQ(p->frames[0].key, stage::kDefaultColour);
}

TEST(GifDecoder, DelaysInHundredthsAndZeroAsFiftyMs) {
  auto g = GifBuilder(1, 1, kTable);
  g.Control(0, false, 0, 0).Image(0, 0, 1, 1, {0});
  g.Control(0, false, 10, 0).Image(0, 0, 1, 1, {1});
  g.Image(0, 0, 1, 1, {2});  // no control block: the last delay carries over
  g.Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  ASSERT_EQ(p->frames.size(), 3u);
  EXPECT_EQ(p->frames[0].delayMs, 50);
  EXPECT_EQ(p->frames[1].delayMs, 100);
  EXPECT_EQ(p->frames[2].delayMs, 100);
}

TEST(GifDecoder, UncoveredCanvasStaysTransparentWhite) {
  auto g = GifBuilder(3, 3, kTable);
  g.Image(1, 1, 1, 1, {0}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  auto px = Pixels(p->frames[0]);
  EXPECT_EQ(px[4], Opaque(kRed));
  EXPECT_EQ(px[0], kCanvas);
  EXPECT_EQ(px[8], kCanvas);
}

TEST(GifDecoder, KeySkipsEveryPixelOfThatColourNotOnlyTheIndex) {
  // Index 0 and index 2 are both red; index 0 is the transparent index.
  const std::vector<uint32_t> table = {kRed, kGreen, kRed, kBlue};
  auto g = GifBuilder(4, 1, table);
  g.Image(0, 0, 4, 1, {1, 1, 1, 1});
  g.Control(1, true, 5, 0).Image(0, 0, 4, 1, {0, 2, 3, 1}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  ASSERT_EQ(p->frames.size(), 2u);
  EXPECT_THAT(Pixels(p->frames[1]),
              ElementsAre(Opaque(kGreen), Opaque(kGreen), Opaque(kBlue), Opaque(kGreen)));
}

TEST(GifDecoder, DisposalKeepsOrPutsBackTheAreaBeforeTheNextImage) {
  // Frame 0 fills with green; frame 1 draws red at (0,0) with the given disposal;
  // frame 2 draws blue at (1,0). Frame 2 shows whether the red stayed.
  for (int method : {0, 1, 2, 3}) {
    auto g = GifBuilder(2, 1, kTable);
    g.Image(0, 0, 2, 1, {1, 1});
    g.Control(method, false, 1, 0).Image(0, 0, 1, 1, {0});
    g.Control(0, false, 1, 0).Image(1, 0, 1, 1, {2}).Trailer();
    auto p = Decode(g.bytes);
    ASSERT_TRUE(p);
    ASSERT_EQ(p->frames.size(), 3u);
    EXPECT_THAT(Pixels(p->frames[1]), ElementsAre(Opaque(kRed), Opaque(kGreen)));
    const uint32_t left = method >= 2 ? Opaque(kGreen) : Opaque(kRed);
    EXPECT_THAT(Pixels(p->frames[2]), ElementsAre(left, Opaque(kBlue))) << "method " << method;
  }
}

TEST(GifDecoder, RestoredFirstImageLeavesTransparentCanvas) {
  auto g = GifBuilder(2, 1, kTable);
  g.Control(2, false, 1, 0).Image(0, 0, 2, 1, {0, 0});
  g.Control(0, false, 1, 0).Image(1, 0, 1, 1, {2}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[1]), ElementsAre(kCanvas, Opaque(kBlue)));
}

TEST(GifDecoder, InterlacedRowsLandInDisplayOrder) {
  const int w = 2, h = 11;
  std::vector<uint8_t> indices;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) indices.push_back(uint8_t(y % 4));
  auto g = GifBuilder(w, h, kTable);
  g.Image(0, 0, w, h, indices, true).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  for (int y = 0; y < h; ++y)
    EXPECT_EQ(p->frames[0].pixels.At(1, y), Opaque(kTable[size_t(y % 4)])) << "row " << y;
}

TEST(GifDecoder, LocalTableWinsOverGlobal) {
  auto g = GifBuilder(1, 1, kTable);
  g.Image(0, 0, 1, 1, {0}, false, {0x123456, 0}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames[0].pixels.At(0, 0), Opaque(0x123456));
}

TEST(GifDecoder, ImagesPartlyOffCanvasAreClipped) {
  auto g = GifBuilder(2, 2, kTable);
  g.Image(1, 1, 3, 3, {0, 1, 2, 1, 2, 3, 2, 3, 0}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  EXPECT_THAT(Pixels(p->frames[0]), ElementsAre(kCanvas, kCanvas, kCanvas, Opaque(kRed)));
}

TEST(GifDecoder, KeyArgument) {
  auto g = GifBuilder(2, 1, kTable);
  g.Image(1, 0, 1, 1, {0});
  g.Image(0, 0, 1, 1, {2}).Trailer();
  // Automatic: each frame's own top-left pixel; transparent canvas reads as white.
  auto p = Decode(g.bytes, stage::KeyRequest::FromArgument(-2));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames[0].key, 0xFFFFFFu);
  EXPECT_EQ(p->frames[1].key, 0xFF0000u);  // blue as COLORREF 0x00BBGGRR
  p = Decode(g.bytes, stage::KeyRequest::FromArgument(0x00FF00));
  EXPECT_EQ(p->frames[0].key, 0x00FF00u);
  EXPECT_EQ(p->frames[1].key, 0x00FF00u);
  p = Decode(g.bytes, stage::KeyRequest::FromArgument(-1));
  EXPECT_EQ(p->frames[1].key, stage::kDefaultColour);
}

TEST(GifDecoder, ExtensionsAreSkippedAndUnknownBlocksEndTheWalk) {
  auto g = GifBuilder(1, 1, kTable);
  g.Netscape(0).Comment("made by hand").Image(0, 0, 1, 1, {0});
  g.bytes.push_back(0x21);
  g.bytes.push_back(0x42);  // unknown label: stop here
  g.Image(0, 0, 1, 1, {1}).Trailer();
  auto p = Decode(g.bytes);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->frames.size(), 1u);
}

TEST(GifDecoder, NoImageOrBadHeaderGivesNoPicture) {
  EXPECT_FALSE(Decode(GifBuilder(4, 4, kTable).Trailer().bytes));
  auto g = GifBuilder(4, 4, kTable).Image(0, 0, 1, 1, {0}).Trailer();
  EXPECT_FALSE(Decode(encoders::Bytes(g.bytes.begin(), g.bytes.begin() + 13)));
  // The global table runs past the data.
  EXPECT_FALSE(Decode(encoders::Bytes(g.bytes.begin(), g.bytes.begin() + 20)));
  auto zero = GifBuilder(0, 5, kTable).Image(0, 0, 1, 1, {0}).Trailer();
  EXPECT_FALSE(Decode(zero.bytes));
}

TEST(GifDecoder, TruncatedDataKeepsTheFramesSoFar) {
  auto g = GifBuilder(8, 8, kTable);
  std::vector<uint8_t> a(64, 1), b(64, 2);
  g.Image(0, 0, 8, 8, a);
  const size_t afterFirst = g.bytes.size();
  g.Image(0, 0, 8, 8, b).Trailer();
  auto p = Decode(encoders::Bytes(g.bytes.begin(), g.bytes.begin() + long(afterFirst) + 12));
  ASSERT_TRUE(p);
  ASSERT_EQ(p->frames.size(), 1u);
  EXPECT_EQ(p->frames[0].pixels.At(7, 7), Opaque(kGreen));
}

}  // namespace
