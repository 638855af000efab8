// Every decoder against every prefix of a small valid file and against deterministic
// random byte flips: no crash, no hang (run under ASan/UBSan too), and the stated
// result. Files that once crashed a decoder go into kCrashInputs.
#include <random>

#include <gtest/gtest.h>

#include "tools/encoders/crafted.h"
#include "runtime/pictures/picture_loader.h"
#include "stage/pictures/picture.h"

namespace {

using encoders::Bytes;

struct Sample {
  const char* name;
  Bytes bytes;
};

Bytes SampleGif() {
  auto g = encoders::GifBuilder(6, 5, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  std::vector<uint8_t> a(30), b(12);
  for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i % 4);
  for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t((i / 3) % 4);
  g.Netscape(0).Control(2, true, 4, 3).Image(0, 0, 6, 5, a, true);
  g.Comment("x").Control(3, false, 0, 0).Image(1, 1, 4, 3, b, false, {0x123456, 0x654321});
  g.Control(1, true, 7, 0).Image(2, 0, 4, 3, b).Trailer();
  return g.bytes;
}

std::vector<Sample> LoaderSamples() {
  encoders::BmpLayout bmp8;
  bmp8.width = 5, bmp8.height = 3, bmp8.bitCount = 8;
  bmp8.palette = {0x102030, 0x405060, 0x708090};
  for (int i = 0; i < 15; ++i) bmp8.pixels.push_back(uint32_t(i % 3));
  encoders::BmpLayout bmp32 = bmp8;
  bmp32.bitCount = 32, bmp32.palette.clear(), bmp32.topDown = true;
  for (auto& p : bmp32.pixels) p = 0x01020304u * (p + 1);
  encoders::BmpLayout bmp16 = bmp32;
  bmp16.bitCount = 16, bmp16.compression = 3, bmp16.masks = {0xF800, 0x07E0, 0x001F};
  const std::vector<uint8_t> mask(15, 1);
  std::vector<uint32_t> rgb(9 * 7);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint32_t(i * 0x030507);
  const Bytes png = encoders::PngFile(2, 2, 6, 8, Bytes(16, 0x80));
  return {
      {"bmp8", encoders::BmpFile(bmp8)},
      {"bmp32", encoders::BmpFile(bmp32)},
      {"bmp16", encoders::BmpFile(bmp16)},
      {"jpeg", encoders::JpegFile(9, 7, rgb)},
      {"ico", encoders::IconFile({{5, 3, 8, encoders::DibBytes(bmp8, &mask)}})},
      {"ico-png", encoders::IconFile({{2, 2, 32, png}})},
      {"pcx256", encoders::PcxFile(5, 3, 8, std::vector<uint8_t>(15, 2), {0, 0x111111, 0x222222})},
      {"pcx-mono", encoders::PcxFile(9, 2, 1, std::vector<uint8_t>(18, 1))},
      {"gif", SampleGif()},
  };
}

std::vector<Sample> StageSamples() {
  std::vector<Sample> s = LoaderSamples();
  Bytes rows;
  for (int i = 0; i < 3 * 3 * 8; ++i) rows.push_back(uint8_t(i * 37));
  s.push_back({"png-rgba16", encoders::PngFile(3, 3, 6, 16, rows)});
  s.push_back({"png-pal", encoders::PngFile(4, 2, 3, 2, {0x1B, 0xE4}, {1, 2, 3, 4}, {0, 128})});
  return s;
}

TEST(Robustness, LoaderGivesNothingForEveryProperPrefix) {
  for (const Sample& s : LoaderSamples()) {
    auto whole = rt::LoadPicture(s.bytes);
    ASSERT_TRUE(whole) << s.name;
    const bool gif = std::string(s.name) == "gif";
    bool seen = false;
    for (size_t n = 0; n < s.bytes.size(); ++n) {
      auto out = rt::LoadPicture(std::span(s.bytes).first(n));
      if (!gif) {
        EXPECT_FALSE(out) << s.name << " prefix " << n;
        continue;
      }
      // A GIF's first image is whole before the file ends; from then on it is there.
      EXPECT_TRUE(out || !seen) << "prefix " << n;
      if (out) {
        seen = true;
        EXPECT_TRUE(std::equal(out->Data(), out->Data() + out->Width() * out->Height(),
                               whole->Data()));
      }
    }
  }
}

TEST(Robustness, StageDecoderOnEveryPrefix) {
  for (const Sample& s : StageSamples()) {
    auto whole = stage::DecodePicture(s.bytes, stage::KeyRequest::FromArgument(-2));
    ASSERT_TRUE(whole) << s.name;
    size_t lastFrames = 0;
    for (size_t n = 0; n < s.bytes.size(); ++n) {
      auto p = stage::DecodePicture(std::span(s.bytes).first(n), stage::KeyRequest::FromArgument(-2));
      if (std::string(s.name) != "gif") {
        EXPECT_FALSE(p) << s.name << " prefix " << n;
        continue;
      }
      // A cut GIF keeps whole frames, never more as the cut moves back, always the
      // same size as the whole picture.
      const size_t frames = p ? p->frames.size() : 0;
      EXPECT_GE(frames, lastFrames) << n;
      EXPECT_LE(frames, whole->frames.size());
      lastFrames = frames;
      if (p) {
        EXPECT_EQ(p->width, whole->width);
        for (size_t f = 0; f < frames; ++f) {
          ASSERT_EQ(p->frames[f].pixels.Width(), whole->width);
          EXPECT_TRUE(std::equal(p->frames[f].pixels.Data(),
                                 p->frames[f].pixels.Data() + whole->width * whole->height,
                                 whole->frames[f].pixels.Data()))
              << "frame " << f << " of prefix " << n;
        }
      }
    }
    if (std::string(s.name) == "gif") {
      EXPECT_EQ(lastFrames, whole->frames.size()) << "only the trailer was missing";
    }
  }
}

TEST(Robustness, RandomByteFlipsNeverCrash) {
  for (const Sample& s : StageSamples()) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
      Bytes b = s.bytes;
      const int flips = 1 + int(rng() % 4);
      for (int i = 0; i < flips; ++i) {
        const size_t at = rng() % b.size();
        b[at] = (rng() % 2) ? uint8_t(rng()) : uint8_t(b[at] ^ (1u << (rng() % 8)));
      }
      auto still = rt::LoadPicture(b);
      if (still) {
        EXPECT_GT(still->Width(), 0);
        EXPECT_GT(still->Height(), 0);
      }
      auto p = stage::DecodePicture(b, stage::KeyRequest::FromArgument(-2));
      if (p) {
        EXPECT_TRUE(p->Valid());
        for (const auto& f : p->frames) {
          EXPECT_EQ(f.pixels.Width(), p->width);
          EXPECT_EQ(f.pixels.Height(), p->height);
        }
      }
    }
  }
}

// Inputs that once broke a decoder, replayed for good.
TEST(Robustness, KnownBadInputs) {
  const std::vector<Bytes> kCrashInputs = {
      // GIF with a 65535 x 65535 screen and one tiny image: refused before allocating.
      {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0,
       1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B},
      // BMP claiming 2^31 palette entries.
      {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
       1, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0},
      // Icon directory with 65535 entries and nothing after it.
      {0, 0, 1, 0, 0xFF, 0xFF, 1, 2, 3},
      // PCX whose run counts run past the picture.
      {0x0A, 5, 1, 8, 0, 0, 0, 0, 0xFF, 0x3F, 0xFF, 0x3F},
  };
  for (const Bytes& b : kCrashInputs) {
    EXPECT_FALSE(rt::LoadPicture(b));
    EXPECT_FALSE(stage::DecodePicture(b, {}));
  }
}

}  // namespace
