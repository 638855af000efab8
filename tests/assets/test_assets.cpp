// The generated assets, read back through the game's own decoders: sizes and frame
// counts the game's layout depends on, the pixel rules of the bar crops, the sound and
// tune headers, and the swoosh's and tune's measured length and level.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/assets/builtin_assets.h"
#include "runtime/pictures/picture_loader.h"
#include "stage/pictures/picture.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadAsset(const std::string& rel) {
  std::ifstream in(fs::u8path(std::string(TOLVARAN_ASSET_DIR) + "/" + rel), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

stage::Picture Decode(std::span<const uint8_t> b) {
  auto p = stage::DecodePicture(b, {});
  EXPECT_TRUE(p.has_value());
  return p ? *p : stage::Picture{};
}

struct Expect {
  const char* file;
  int w, h, minFrames;
};

// Played-once pictures need two frames or more, or their animation never ends.
TEST(AssetPictures, FolderPicturesHaveTheirSizesAndFrames) {
  const Expect all[] = {
      {"怪物图片/4-1.gif", 100, 130, 2}, {"怪物图片/4-2.gif", 100, 130, 2}, {"怪物图片/4-3.gif", 177, 142, 2},
      {"怪物图片/4-5.gif", 177, 142, 2}, {"怪物图片/5-1.gif", 96, 176, 2},  {"怪物图片/5-2.gif", 96, 176, 2},
      {"怪物图片/5-3.gif", 173, 188, 2}, {"怪物图片/5-5.gif", 173, 188, 2}, {"图片集合/血条底图.png", 72, 20, 1},
      {"图片集合/血条进度.png", 70, 20, 1}, {"图片集合/怪物进度底图.png", 58, 10, 1},
      {"图片集合/怪物进度条.png", 53, 10, 1}, {"图片集合/物品底图.png", 40, 40, 1}, {"图片集合/蓝药水.png", 24, 24, 1},
      {"图片集合/鸡腿.png", 24, 24, 1},     {"图片集合/隐身衣.png", 24, 24, 1},  {"图片集合/Damage(代用).png", 180, 65, 1},
  };
  for (const auto& e : all) {
    SCOPED_TRACE(e.file);
    stage::Picture p = Decode(ReadAsset(e.file));
    EXPECT_EQ(p.width, e.w);
    EXPECT_EQ(p.height, e.h);
    EXPECT_GE(int(p.frames.size()), e.minFrames);
  }
}

TEST(AssetPictures, BuiltInsHaveTheirSizesAndFrames) {
  namespace a = game::assets;
  const struct {
    std::span<const uint8_t> bytes;
    int w, h, minFrames;
  } all[] = {{a::StandPicture(), 54, 96, 6},     {a::JumpPicture(), 64, 96, 1},  {a::AttackPicture(), 112, 105, 2},
             {a::BladePicture(), 112, 105, 2},   {a::IdlePicture(), 84, 96, 2},  {a::PortraitPicture(), 60, 60, 1},
             {a::StageBackground(), 640, 480, 1}, {a::BlockPicture(), 96, 16, 1}};
  for (const auto& e : all) {
    stage::Picture p = Decode(e.bytes);
    EXPECT_EQ(p.width, e.w);
    EXPECT_EQ(p.height, e.h);
    EXPECT_GE(int(p.frames.size()), e.minFrames);
  }
  EXPECT_LE(stage::DecodePicture(a::StandPicture(), {})->frames.size(), 8u);
}

TEST(AssetPictures, JpegsLoadThroughTheRuntimeLoader) {
  const struct {
    const char* file;
    int w, h;
  } all[] = {{"怪物图片/音乐人.jpg", 480, 320}, {"怪物图片/武士雕像.jpg", 72, 136}};
  for (const auto& e : all) {
    auto s = rt::LoadPicture(ReadAsset(e.file));
    ASSERT_TRUE(s.has_value()) << e.file;
    EXPECT_EQ(s->Width(), e.w);
    EXPECT_EQ(s->Height(), e.h);
  }
  auto bg = rt::LoadPicture(game::assets::StageBackground());
  ASSERT_TRUE(bg.has_value());
  EXPECT_EQ(bg->Width(), 640);
}

uint8_t Transparency(const stage::PictureFrame& f, int x, int y) { return uint8_t(f.pixels.At(x, y) >> 24); }
uint32_t Rgb(const stage::PictureFrame& f, int x, int y) { return f.pixels.At(x, y) & 0xFFFFFF; }

// The hero's fill is cropped on a magenta stage and keyed by the crop's top-left pixel.
TEST(AssetPictures, HeroBarFillKeysCleanlyOnMagenta) {
  stage::Picture p = Decode(ReadAsset("图片集合/血条进度.png"));
  ASSERT_TRUE(p.Valid());
  const auto& f = p.frames[0];
  EXPECT_EQ(Transparency(f, 0, 0), 255);
  int opaque = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (Transparency(f, x, y) == 0) {
        ++opaque;
        EXPECT_NE(Rgb(f, x, y), 0xFF00FFu) << x << "," << y;
      }
  EXPECT_GT(opaque, p.width * p.height / 2);
}

// The monster's fill is cropped and shown without a key: every pixel must be opaque.
TEST(AssetPictures, MonsterBarFillIsOpaque) {
  stage::Picture p = Decode(ReadAsset("图片集合/怪物进度条.png"));
  ASSERT_TRUE(p.Valid());
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) ASSERT_EQ(Transparency(p.frames[0], x, y), 0) << x << "," << y;
}

// Keyed by the top-left pixel (-2): items and monster attack pictures must not lose
// art pixels that happen to share that colour.
TEST(AssetPictures, KeyedPicturesKeepTheirArt) {
  for (const char* file : {"图片集合/蓝药水.png", "图片集合/鸡腿.png", "图片集合/隐身衣.png", "怪物图片/4-3.gif",
                           "怪物图片/5-3.gif", "怪物图片/4-5.gif"}) {
    SCOPED_TRACE(file);
    auto p = stage::DecodePicture(ReadAsset(file), stage::KeyRequest::FromArgument(-2));
    ASSERT_TRUE(p.has_value());
    for (const auto& f : p->frames) {
      ASSERT_EQ(Transparency(f, 0, 0), 255);
      const uint32_t key = Rgb(f, 0, 0);
      for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x)
          if (Transparency(f, x, y) == 0) {
            ASSERT_NE(Rgb(f, x, y), key) << x << "," << y;
          }
    }
  }
}

// The statue is keyed by its top-left pixel over the hedge drawn behind it: whatever
// JPEG ringing leaves around the figure must stay close to that colour.
TEST(AssetPictures, StatueBackgroundHasNoVisibleFringe) {
  auto s = rt::LoadPicture(ReadAsset("怪物图片/武士雕像.jpg"));
  ASSERT_TRUE(s.has_value());
  auto bg = rt::LoadPicture(game::assets::StageBackground());
  ASSERT_TRUE(bg.has_value());
  const uint32_t key = s->At(0, 0) & 0xFFFFFF;
  auto chan = [](uint32_t p, int k) { return int((p >> (8 * k)) & 0xFF); };
  int worst = 0;
  for (int y = 0; y < s->Height() - 30; ++y)
    for (int x = 0; x < s->Width(); ++x) {
      uint32_t p = s->At(x, y) & 0xFFFFFF;
      int d = 0;
      for (int k = 0; k < 3; ++k) d = std::max(d, std::abs(chan(p, k) - chan(key, k)));
      if (d == 0 || d > 20) continue;  // keyed, or part of the figure (its outline is far darker)
      uint32_t behind = bg->At(150 + x, 480 - s->Height() + y) & 0xFFFFFF;
      for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(chan(p, k) - chan(behind, k)));
    }
  EXPECT_LE(worst, 24);
}

uint32_t Le32(std::span<const uint8_t> b, size_t o) { return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | uint32_t(b[o + 3]) << 24; }
uint16_t Le16(std::span<const uint8_t> b, size_t o) { return uint16_t(b[o] | b[o + 1] << 8); }

// The icon in every size a desktop looks for: a badge with see-through corners, and the
// small sizes averaged from the large one, not left empty or speckled.
TEST(AssetPictures, IconComesInEverySizeWithTransparentCorners) {
  for (int n : {16, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(n);
    const std::string size = std::to_string(n) + "x" + std::to_string(n);
    stage::Picture p = Decode(ReadAsset("icons/" + size + "/apps/tolvaran.png"));
    ASSERT_EQ(p.width, n);
    ASSERT_EQ(p.height, n);
    const platform::Surface& px = p.frames.at(0).pixels;
    auto transparency = [&](int x, int y) { return px.At(x, y) >> 24; };
    for (auto [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}})
      EXPECT_EQ(transparency(x, y), 255u) << x << "," << y;
    int opaque = 0;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) opaque += transparency(x, y) == 0;
    // The badge covers most of the square.
    EXPECT_GT(opaque, n * n * 2 / 3);
    EXPECT_EQ(transparency(n / 2, n / 2), 0u);
  }
}

TEST(AssetSounds, SwooshIsShortCleanAndAudible) {
  auto w = game::assets::AttackSound();
  ASSERT_GT(w.size(), 44u);
  EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 12), "WAVE");
  EXPECT_EQ(Le16(w, 20), 1);      // PCM
  EXPECT_EQ(Le16(w, 22), 2);      // stereo
  EXPECT_EQ(Le32(w, 24), 22050u);
  EXPECT_EQ(Le16(w, 34), 16);
  ASSERT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
  const uint32_t n = Le32(w, 40);
  ASSERT_EQ(n + 44, w.size());
  const double seconds = n / 4.0 / 22050;
  EXPECT_NEAR(seconds, 0.9, 0.05);
  int peak = 0;
  double sum = 0;
  for (uint32_t i = 0; i < n / 2; ++i) {
    int s = int16_t(Le16(w, 44 + 2 * i));
    peak = std::max(peak, std::abs(s));
    sum += double(s) * s;
  }
  const double rms = std::sqrt(sum / (n / 2));
  EXPECT_LT(peak, 32767);
  EXPECT_GT(peak, 16000);
  EXPECT_GT(rms, 1500);
  EXPECT_EQ(int16_t(Le16(w, w.size() - 2)), 0);  // ends on silence: no click
}

uint32_t Be32(std::span<const uint8_t> b, size_t o) { return uint32_t(b[o]) << 24 | b[o + 1] << 16 | b[o + 2] << 8 | b[o + 3]; }

// Walks the tracks: every track ends on the same tick, no note is left sounding at the
// loop point, and the tune lasts long enough not to repeat too soon.
TEST(AssetSounds, TuneIsAFormatOneLoopOfEightTracks) {
  auto m = game::assets::Music();
  ASSERT_GE(m.size(), 14u);
  EXPECT_EQ(std::string(m.begin(), m.begin() + 4), "MThd");
  EXPECT_EQ(Be32(m, 4), 6u);
  EXPECT_EQ((m[8] << 8) | m[9], 1);
  EXPECT_EQ((m[10] << 8) | m[11], 8);
  EXPECT_EQ((m[12] << 8) | m[13], 480);
  size_t o = 14;
  std::vector<uint32_t> ends;
  uint32_t tempo = 0;
  bool drums = false;
  for (int t = 0; t < 8; ++t) {
    ASSERT_LE(o + 8, m.size());
    ASSERT_EQ(std::string(m.begin() + o, m.begin() + o + 4), "MTrk");
    const size_t end = o + 8 + Be32(m, o + 4);
    ASSERT_LE(end, m.size());
    size_t p = o + 8;
    uint32_t tick = 0;
    int sounding = 0;
    bool ended = false;
    while (p < end && !ended) {
      uint32_t d = 0;
      do d = (d << 7) | (m[p] & 0x7F);
      while (m[p++] & 0x80);
      tick += d;
      uint8_t st = m[p++];
      if (st == 0xFF) {
        uint8_t type = m[p++];
        uint32_t len = m[p++];
        if (type == 0x51) tempo = uint32_t(m[p]) << 16 | m[p + 1] << 8 | m[p + 2];
        if (type == 0x2F) ended = true;
        p += len;
      } else if ((st & 0xF0) == 0x90 || (st & 0xF0) == 0x80) {
        if ((st & 0x0F) == 9) drums = true;
        sounding += ((st & 0xF0) == 0x90 && m[p + 1] > 0) ? 1 : -1;
        p += 2;
      } else if ((st & 0xF0) == 0xC0) {
        p += 1;
      } else {
        p += 2;
      }
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(sounding, 0) << "track " << t;
    ends.push_back(tick);
    o = end;
  }
  EXPECT_THAT(ends, ::testing::Each(ends[0]));
  EXPECT_EQ(ends[0] % (4 * 480), 0u);
  EXPECT_TRUE(drums);
  ASSERT_GT(tempo, 0u);
  const double seconds = ends[0] / 480.0 * tempo / 1e6;
  EXPECT_GT(seconds, 60);
  EXPECT_LT(seconds, 180);
}

}  // namespace
