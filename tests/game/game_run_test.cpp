// The whole program, run headless as a child process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "dump_reader.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::SizeIs;

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
  // The cleanup ran (it writes the dump just before releasing the state), at the end of
  // the run's virtual time; the splash was all there was.
  const auto d = dump::Dump::ReadFile(dump);
  ASSERT_TRUE(d.has_value()) << ReadAll(dump);
  EXPECT_EQ(d->Time(), 3000);
  EXPECT_EQ(d->Slot("heroSprite"), 0);
  EXPECT_THAT(d->WatchedKeys(), IsEmpty());
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
  const auto d = dump::Dump::ReadFile(dump);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->Time(), 500) << "closed at the key";
  std::remove(script.c_str());
  std::remove(dump.c_str());
}

// The scripted player presses Enter on the splash: the level is built once, the game keys
// are watched and the idle timer runs; the dump shows the globals and the stage.
TEST(GameRun, EnterOnTheSplashStartsTheLevel) {
  const std::string script = TempPath("enter.txt"), dump = TempPath("enter.json");
  std::ofstream(script) << "400 down Return\n450 up Return\n900 down Return\n950 up Return\n";
  EXPECT_EQ(RunTolvaran("--headless --script " + script + " --run-for 2000 --dump-state " + dump), 0);
  const auto d = dump::Dump::ReadFile(dump);
  ASSERT_TRUE(d.has_value());
  // The ground first, platform 5 last.
  const auto platforms = d->Platforms();
  ASSERT_THAT(platforms, SizeIs(5));
  EXPECT_THAT(platforms.front(), AllOf(Field(&dump::Platform::left, 0), Field(&dump::Platform::top, 473),
                                       Field(&dump::Platform::right, 640), Field(&dump::Platform::bottom, 480)));
  EXPECT_THAT(platforms.back(), AllOf(Field(&dump::Platform::left, 544), Field(&dump::Platform::top, 320),
                                      Field(&dump::Platform::right, 640), Field(&dump::Platform::bottom, 336)));
  EXPECT_THAT(d->WatchedKeys(), ElementsAre(32, 37, 39, 90, 88, 49, 50, 51, 52, 53));
  EXPECT_EQ(d->WatchInterval(), 10);
  EXPECT_EQ(d->TimerInterval("IdleTimer"), 1000);
  EXPECT_EQ(d->Slot("heroX"), 0);
  EXPECT_EQ(d->Slot("heroY"), 376);
  // One hero: the second Enter found the splash gone.
  EXPECT_THAT(d->Tagged("主角"), SizeIs(1));
  // The scratch stage only lends its surface for captures: nothing stays on it.
  EXPECT_THAT(d->Objects("ScratchStage"), IsEmpty());

  // The layout scripts rely on, key for key and in order.
  std::vector<std::string> top, object, timers;
  for (const auto& [key, value] : d->Json().items()) top.push_back(key);
  for (const auto& [key, value] : d->Json().at("stages").at("MainStage").at(0).items()) object.push_back(key);
  for (const auto& [key, value] : d->Json().at("timers").items()) timers.push_back(key);
  EXPECT_THAT(top, ElementsAre("time", "MonsterList", "HeroRefs", "HeroStats", "HeroFlags", "PlatformList",
                               "Inventory", "ScreenRefs", "GroundItemList", "DamageDigitList", "Airborne",
                               "JumpState", "stages", "timers", "watchedKeys", "MainStagePeakObjects"));
  EXPECT_THAT(object, ElementsAre("id", "tag", "text", "x", "y", "width", "height", "layer", "alpha", "visible",
                                  "flip", "zoomX", "zoomY", "tint", "tintDepth", "frame", "frameCount",
                                  "collisionType", "playing"));
  EXPECT_THAT(timers, ElementsAre("UseItemTimer", "PickUpTimer", "ItemTimer", "HeroFlashTimer", "CollisionTimer",
                                  "MonsterTimer", "IdleTimer", "JumpTimer"));
  std::remove(script.c_str());
  std::remove(dump.c_str());
}

TEST(GameRun, BadOptionIsOneLineAndExitCodeTwo) {
  EXPECT_EQ(RunTolvaran("--no-such-option"), 2);
  EXPECT_EQ(RunTolvaran("--headless --dump-state /nonexistent-dir/x.json"), 2);
}

}  // namespace
