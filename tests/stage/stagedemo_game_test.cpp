// The stage demo's "game" scene, checked pixel by pixel in its screenshot: the JPEG
// background where no object lies, each object's picture at its place (mirrored where
// it is turned), and the two half-transparent, tinted objects blended over the
// background. Only pixels that are solid and equal in every frame of an object's
// animation are compared, so the moment of the capture and the art itself may change
// freely; the scene's layout below is the one tools/stagedemo builds.
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/pictures/picture_loader.h"
#include "stage/pictures/picture.h"

namespace {

struct Shot {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  uint32_t At(int x, int y) const {  // 0xRRGGBB
    const uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
};

bool ReadShot(const std::string& path, Shot& shot) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  shot.width = int(image.width);
  shot.height = int(image.height);
  shot.rgb.resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct SceneObject {
  const char* file;  // under the asset folder
  int x, y, layer;
  bool mirrored = false;
  int alpha = 0;                 // percent
  uint32_t tint = 0xFFFFFF;      // COLORREF
  int depth = 0;                 // percent
  stage::Picture picture{};
};

uint8_t Channel(uint32_t rgb, int shift) { return uint8_t(rgb >> shift); }

// What the stage should show for a source colour over `under`, from the object's tint
// and transparency, by their definitions (not by the stage's code).
uint32_t Expected(const SceneObject& o, uint32_t src, uint32_t under) {
  const double opacity = 1.0 - std::lround(o.alpha * 255.0 / 100.0) / 255.0;
  const uint32_t tintRgb = (o.tint & 0xFF) << 16 | (o.tint & 0xFF00) | (o.tint >> 16 & 0xFF);
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    const double c = Channel(src, shift);
    const double tinted = c + std::round((Channel(tintRgb, shift) - c) * o.depth / 100.0);
    const double d = Channel(under, shift);
    out |= uint32_t(std::lround(d + (tinted - d) * opacity)) << shift;
  }
  return out;
}

int Distance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(Channel(a, shift) - Channel(b, shift)));
  return worst;
}

class StageDemoGame : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ReadShot(TOLVARAN_STAGEDEMO_SHOT, shot_)) << TOLVARAN_STAGEDEMO_SHOT;
    ASSERT_EQ(shot_.width, 640);
    ASSERT_EQ(shot_.height, 480);
    const std::filesystem::path assets = TOLVARAN_ASSET_DIR;
    auto background = rt::LoadPicture(ReadFile(assets / "builtin/StageBackground.jpg"));
    ASSERT_TRUE(background);
    background_ = std::move(*background);
    for (SceneObject& o : objects_) {
      auto p = stage::DecodePicture(ReadFile(assets / o.file), stage::KeyRequest{});
      ASSERT_TRUE(p) << o.file;
      o.picture = std::move(*p);
    }
  }

  // The background picture sits at the top-left corner over the button face.
  uint32_t BackgroundAt(int x, int y) const {
    if (x >= background_.Width() || y >= background_.Height()) return 0xF0F0F0;
    return background_.At(x, y) & 0xFFFFFF;
  }
  bool CoveredByAnother(const SceneObject* self, int x, int y) const {
    for (const SceneObject& o : objects_)
      if (&o != self && x >= o.x && y >= o.y && x < o.x + o.picture.width && y < o.y + o.picture.height)
        return true;
    return false;
  }
  // The object's colour at (px, py) of its own picture when it is the same solid colour
  // in every frame.
  static bool SteadyPixel(const SceneObject& o, int px, int py, uint32_t& rgb) {
    const int sx = o.mirrored ? o.picture.width - 1 - px : px;
    const uint32_t first = o.picture.frames[0].pixels.At(sx, py);
    if (first >> 24 != 0) return false;
    for (const auto& f : o.picture.frames)
      if (f.pixels.At(sx, py) != first || f.key != stage::kDefaultColour) return false;
    rgb = first & 0xFFFFFF;
    return true;
  }

  Shot shot_;
  platform::Surface background_;
  // tools/stagedemo/main.cpp, BuildGameScene.
  std::vector<SceneObject> objects_ = {
      {"builtin/StandPicture.gif", 250, 376, 1},
      {"builtin/StandPicture.gif", 320, 376, 1, /*mirrored*/ true},
      {"builtin/AttackPicture.gif", 400, 367, 2, false, 40, 0x0000FF, 45},
      {"builtin/IdlePicture.gif", 120, 376, 0},
      {"怪物图片/4-2.gif", 490, 343, 1},
      {"怪物图片/5-2.gif", 60, 20, 1, false, 30, 0xFF8040, 30},
  };
};

TEST_F(StageDemoGame, BackgroundShowsWhereNoObjectLies) {
  int checked = 0, wrong = 0;
  for (int y = 0; y < shot_.height; ++y)
    for (int x = 0; x < shot_.width; ++x) {
      if (CoveredByAnother(nullptr, x, y)) continue;
      ++checked;
      if (Distance(shot_.At(x, y), BackgroundAt(x, y)) > 1) {
        if (++wrong <= 5) ADD_FAILURE() << "background differs at " << x << "," << y;
      }
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(checked, 640 * 480 / 2);
}

TEST_F(StageDemoGame, ObjectsShowTheirPicturesTintedAndBlended) {
  for (const SceneObject& o : objects_) {
    SCOPED_TRACE(std::string(o.file) + " at " + std::to_string(o.x) + "," + std::to_string(o.y));
    int checked = 0, wrong = 0, unlikeBackground = 0;
    for (int py = 0; py < o.picture.height; ++py)
      for (int px = 0; px < o.picture.width; ++px) {
        const int x = o.x + px, y = o.y + py;
        uint32_t src = 0;
        if (x >= shot_.width || y >= shot_.height || CoveredByAnother(&o, x, y) ||
            !SteadyPixel(o, px, py, src))
          continue;
        ++checked;
        const uint32_t want = Expected(o, src, BackgroundAt(x, y)), got = shot_.At(x, y);
        unlikeBackground += Distance(want, BackgroundAt(x, y)) > 8;
        if (Distance(want, got) > 2 && ++wrong <= 3)
          ADD_FAILURE() << "at " << x << "," << y << ": want " << std::hex << want << " got " << got;
      }
    EXPECT_EQ(wrong, 0);
    // Enough of the object was compared, and where it stands out from the background.
    EXPECT_GT(checked, 60);
    EXPECT_GT(unlikeBackground, 40);
  }
}

}  // namespace
