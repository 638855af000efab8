// tolvaran-inspect as a user runs it: JSON on stdout, frames as PNG, exit codes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "encoders.h"

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

class InspectTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tolvaran-inspect-test-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const testpic::Bytes& b) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                std::streamsize(b.size()));
    return path.string();
  }
  fs::path dir_;
};

TEST_F(InspectTool, ReportsFramesAndWritesThem) {
  auto g = testpic::GifBuilder(2, 2, {0xFF0000, 0x00FF00});
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

TEST_F(InspectTool, NoPictureAndBadArguments) {
  const std::string junk = Write("junk.bin", testpic::Bytes(40, 0x33));
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
