// tolvaran-inspect as a user runs it: JSON on stdout, frames as PNG, exit codes.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include "tools/encoders/crafted.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exitCode;
  std::string out;
};

ToolRun Inspect(const std::string& args) {
  const std::string command = std::string(TOLVARAN_INSPECT) + " " + args + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// A written frame read back with libpng, whatever it holds, as RGBA bytes; the PNG's own
// colour type is kept for the checks.
struct ReadBack {
  int width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<uint8_t> rgba;
  std::array<uint8_t, 4> At(int x, int y) const {
    const uint8_t* p = rgba.data() + 4 * (size_t(y) * width + x);
    return {p[0], p[1], p[2], p[3]};
  }
};

ReadBack ReadPng(const fs::path& path) {
  ReadBack r;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << "cannot read " << path;
    return r;
  }
  r.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  r.width = int(image.width);
  r.height = int(image.height);
  r.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, r.rgba.data(), 0, nullptr)) ADD_FAILURE() << image.message;
  return r;
}

using Px = std::array<uint8_t, 4>;

class InspectTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tolvaran-inspect-test-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const encoders::Bytes& b) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                std::streamsize(b.size()));
    return path.string();
  }
  fs::path dir_;
};

TEST_F(InspectTool, ReportsFramesAndWritesThem) {
  auto g = encoders::GifBuilder(2, 2, {0xFF0000, 0x00FF00});
  g.Control(0, false, 0, 0).Image(0, 0, 2, 2, {0, 1, 1, 0});
  g.Control(0, true, 12, 1).Image(0, 0, 1, 1, {0}).Trailer();
  const std::string gif = Write("a.gif", g.bytes);
  ToolRun r = Inspect(gif + " --key -2 --out " + (dir_ / "frames").string());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"width\":2,\"height\":2,\"frameCount\":2,\"frames\":[{\"delay\":50,\"key\":"
            "\"0x0000FF\"},{\"delay\":120,\"key\":\"0x0000FF\"}]}\n");
  EXPECT_TRUE(fs::exists(dir_ / "frames" / "frame_000.png"));
  EXPECT_TRUE(fs::exists(dir_ / "frames" / "frame_001.png"));
  r = Inspect(gif + " --key 0x123456");
  EXPECT_THAT(r.out, ::testing::HasSubstr("\"key\":\"0x123456\""));
  r = Inspect(gif);
  EXPECT_THAT(r.out, ::testing::HasSubstr("\"key\":null"));
}

TEST_F(InspectTool, FramesKeepTheirTransparencyAsAlpha) {
  // A GIF with a transparent index, and a PNG with graded alpha.
  auto g = encoders::GifBuilder(3, 1, {0xFF0000, 0x00FF00, 0x0000FF});
  g.Control(0, true, 0, 1).Image(0, 0, 3, 1, {0, 1, 2}).Trailer();
  const std::string gif = Write("t.gif", g.bytes);
  const encoders::Bytes rows = {10, 20, 30, 255, 40, 50, 60, 128, 70, 80, 90, 0};
  const std::string png = Write("t.png", encoders::PngFile(3, 1, PNG_COLOR_TYPE_RGBA, 8, rows));

  ASSERT_EQ(Inspect(gif + " --out " + (dir_ / "gif").string()).exitCode, 0);
  ReadBack r = ReadPng(dir_ / "gif" / "frame_000.png");
  ASSERT_EQ(r.width, 3);
  EXPECT_TRUE(r.hasAlpha);
  EXPECT_EQ(r.At(0, 0), (Px{255, 0, 0, 255}));
  EXPECT_EQ(r.At(1, 0)[3], 0);
  EXPECT_EQ(r.At(2, 0), (Px{0, 0, 255, 255}));

  ASSERT_EQ(Inspect(png + " --out " + (dir_ / "png").string()).exitCode, 0);
  r = ReadPng(dir_ / "png" / "frame_000.png");
  ASSERT_EQ(r.width, 3);
  EXPECT_EQ(r.At(0, 0), (Px{10, 20, 30, 255}));
  EXPECT_EQ(r.At(1, 0), (Px{40, 50, 60, 128}));
  EXPECT_EQ(r.At(2, 0)[3], 0);

  // The preview instead: opaque, the see-through pixels showing the white square of the
  // checkerboard and the half-transparent one blended with it.
  ASSERT_EQ(Inspect(png + " --checkerboard --out " + (dir_ / "board").string()).exitCode, 0);
  r = ReadPng(dir_ / "board" / "frame_000.png");
  ASSERT_EQ(r.width, 3);
  EXPECT_FALSE(r.hasAlpha);
  EXPECT_EQ(r.At(0, 0), (Px{10, 20, 30, 255}));
  EXPECT_EQ(r.At(1, 0), (Px{147, 152, 157, 255}));  // (c * 128 + 255 * 127) / 255
  EXPECT_EQ(r.At(2, 0), (Px{255, 255, 255, 255}));
  // Without a folder to write into, the preview is a mistake in the arguments.
  EXPECT_EQ(Inspect(png + " --checkerboard").exitCode, 2);
}

TEST_F(InspectTool, NoPictureAndBadArguments) {
  const std::string junk = Write("junk.bin", encoders::Bytes(40, 0x33));
  ToolRun r = Inspect(junk);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "{\"width\":0,\"height\":0,\"frameCount\":0,\"frames\":[]}\n");
  EXPECT_EQ(Inspect((dir_ / "missing.gif").string()).exitCode, 1);
  EXPECT_EQ(Inspect("").exitCode, 2);
  EXPECT_EQ(Inspect(junk + " --key").exitCode, 2);
  EXPECT_EQ(Inspect(junk + " --key purple").exitCode, 2);
  EXPECT_EQ(Inspect(junk + " --frobnicate").exitCode, 2);
  EXPECT_EQ(Inspect(junk + " " + junk).exitCode, 2);
}

}  // namespace
