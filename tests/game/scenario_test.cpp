// Scenarios of whole play: the real program, headless, steered by a script of timed keys,
// judged by its state dump. One scenario per behaviour; exact values where the rules
// are exact.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "scenario_" + std::to_string(getpid()) + "_" + name;
}

// Plays `script` for `ms` of virtual time and returns the dump written at the end.
std::string Play(const std::string& name, const std::string& script, int ms) {
  const std::string scriptPath = TempPath(name + ".txt"), dumpPath = TempPath(name + ".json");
  std::ofstream(scriptPath) << script;
  const std::string cmd = std::string(TOLVARAN_EXE) + " --headless --script " + scriptPath +
                          " --run-for " + std::to_string(ms) + " --dump-state " + dumpPath + " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
  std::ifstream in(dumpPath, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::remove(scriptPath.c_str());
  std::remove(dumpPath.c_str());
  return s.str();
}

bool Has(const std::string& json, const std::string& fragment) { return json.find(fragment) != std::string::npos; }

// The object of the dump's stage list with this id, as its JSON text.
std::string StageObject(const std::string& json, int id) {
  const size_t at = json.find("{\"id\":" + std::to_string(id) + ",");
  return at == std::string::npos ? std::string() : json.substr(at, json.find('}', at) - at + 1);
}

const char* kStart = "300 down Return\n350 up Return\n";

TEST(Scenario, WalkingRightStopsBesidePlatformTwo) {
  const std::string json = Play("walk", std::string(kStart) + "1000 down Right\n3000 up Right\n", 3500);
  // Blocked once the box's right edge (heroX + 35) comes within 3 pixels of 272.
  EXPECT_TRUE(Has(json, "\"heroX\":234,\"heroY\":376")) << json;
  EXPECT_TRUE(Has(json, "\"blockedRight\":1,\"blockedLeft\":0"));
  EXPECT_TRUE(Has(StageObject(json, 4), "\"x\":253,\"y\":376"));  // the box, 19 to the right
}

TEST(Scenario, JumpingOntoPlatformTwoAndPickingUpTheLeg) {
  const std::string json = Play("leg", std::string(kStart) +
                                           "1000 down Right\n1900 down Space\n2000 up Right\n"
                                           "2300 up Space\n3000 down X\n3100 up X\n"
                                           "4500 down 1\n4550 up 1\n",
                                5000);
  // Landed from a ground jump: the feet line met 454, three above the top at 457; the
  // sprites stand on the top (y 360) while heroY stays at 358.
  EXPECT_TRUE(Has(json, "\"heroY\":358")) << json;
  EXPECT_TRUE(Has(json, "\"platformIndex\":2"));
  EXPECT_TRUE(Has(StageObject(json, 4), "\"y\":360"));
  // The leg flew into slot 1; at full health using it was refused.
  EXPECT_TRUE(Has(json, "\"kind\":2,\"count\":1,\"value\":100,\"description\":\"用于补HP的\","
                        "\"name\":\"鸡腿\",\"inUse\":0"));
  EXPECT_TRUE(Has(json, "\"UseItemTimer\":0"));
  EXPECT_TRUE(Has(json, "\"hp\":150"));
}

TEST(Scenario, QuietHeroStrikesTheIdlePose) {
  const std::string json = Play("idle", kStart, 8000);
  EXPECT_TRUE(Has(json, "\"idleShown\":1")) << json;
  EXPECT_TRUE(Has(json, "\"tag\":\"主角待机\""));
  EXPECT_TRUE(Has(StageObject(json, 3), "\"visible\":false"));
}

// Over platform 2 to the ogre and standing there: its attacks wear the hero down, he
// rises off the stage and "游戏结束" fades in over the black cover.
TEST(Scenario, StandingByTheOgreEndsInGameOver) {
  const std::string json = Play("fight", std::string(kStart) +
                                             "1000 down Right\n2000 down Space\n2400 up Space\n2500 up Right\n",
                                120000);
  EXPECT_TRUE(Has(json, "\"hp\":0,\"maxHp\":150,\"heroDead\":1,\"gameOver\":1")) << json;
  const std::string cover = StageObject(json, 1);
  EXPECT_TRUE(Has(cover, "\"alpha\":0")) << cover;
  EXPECT_TRUE(Has(cover, "\"tint\":100"));
  EXPECT_TRUE(Has(json, "\"layer\":10006,\"alpha\":0,\"visible\":true,\"type\":0,\"flip\":0,\"zoom\":1000,"
                        "\"tint\":0,\"tag\":\"\",\"text\":\"游戏结束\""));
  EXPECT_TRUE(Has(StageObject(json, 3), "\"zoom\":100,\"tint\":90"));  // squeezed and white
}

}  // namespace
