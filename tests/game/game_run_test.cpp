// The whole program, run headless as a child process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "game_run_" + std::to_string(getpid()) + "_" + name;
}

int RunTolvaran(const std::string& args) {
  const std::string cmd = std::string(TOLVARAN_EXE) + " " + args + " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(GameRun, OpensTheGameFormHeadlessAndEndsAfterRunFor) {
  const std::string shot = TempPath("shot.png"), dump = TempPath("state.json");
  EXPECT_EQ(RunTolvaran("--headless --run-for 3000 --screenshot 2000:" + shot + " --dump-state " + dump), 0);
  const std::string png = ReadAll(shot);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  // The cleanup ran (it writes the dump just before releasing the state).
  const std::string json = ReadAll(dump);
  EXPECT_NE(json.find("\"HeroRefs\":{"), std::string::npos) << json;
  std::remove(shot.c_str());
  std::remove(dump.c_str());
}

TEST(GameRun, EscapeClosesTheWindowWithExitCodeZero) {
  const std::string script = TempPath("esc.txt"), dump = TempPath("esc.json");
  std::ofstream(script) << "500 down Escape\n600 up Escape\n";
  // Without the close the run would last a minute of virtual time and still exit 0, so
  // the dump's presence is not the check: the exit code and the missing screenshot are.
  const std::string late = TempPath("late.png");
  EXPECT_EQ(RunTolvaran("--headless --script " + script + " --run-for 60000 --screenshot 30000:" + late +
                " --dump-state " + dump),
            0);
  EXPECT_TRUE(ReadAll(late).empty()) << "the game was still running at 30 s";
  EXPECT_NE(ReadAll(dump).find("\"JumpState\""), std::string::npos);
  std::remove(script.c_str());
  std::remove(dump.c_str());
}

// The scripted player presses Enter on the splash: the level is built once, the game keys
// are watched and the idle timer runs; the dump shows the globals and the stage.
TEST(GameRun, EnterOnTheSplashStartsTheLevel) {
  const std::string script = TempPath("enter.txt"), dump = TempPath("enter.json");
  std::ofstream(script) << "400 down Return\n450 up Return\n900 down Return\n950 up Return\n";
  EXPECT_EQ(RunTolvaran("--headless --script " + script + " --run-for 2000 --dump-state " + dump), 0);
  const std::string json = ReadAll(dump);
  EXPECT_NE(json.find("\"PlatformList\":[{\"left\":0,\"top\":473,\"right\":640,\"bottom\":480,"),
            std::string::npos) << json;
  EXPECT_NE(json.find("{\"left\":544,\"top\":320,\"right\":640,\"bottom\":336,"), std::string::npos);
  EXPECT_NE(json.find("\"WatchedKeys\":[32,37,39,90,88,49,50,51,52,53]"), std::string::npos);
  EXPECT_NE(json.find("\"IdleTimer\":1000"), std::string::npos);
  EXPECT_NE(json.find("\"heroX\":0,\"heroY\":376"), std::string::npos);
  // One hero: the second Enter found the splash gone.
  const std::string heroTag = "\"tag\":\"主角\"";
  const size_t first = json.find(heroTag);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(json.find(heroTag, first + 1), std::string::npos);
  std::remove(script.c_str());
  std::remove(dump.c_str());
}

TEST(GameRun, BadOptionIsOneLineAndExitCodeTwo) {
  EXPECT_EQ(RunTolvaran("--no-such-option"), 2);
  EXPECT_EQ(RunTolvaran("--headless --dump-state /nonexistent-dir/x.json"), 2);
}

}  // namespace
