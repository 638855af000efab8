// Scenarios of whole play: the real program, headless, steered by a script of timed keys,
// judged by its state dump. One scenario per behaviour; exact values where the rules
// are exact.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

  // Meanwhile the ogre (sprite 13, 100 wide) paced a pixel every fourth 50 ms tick, its
  // bar (15 and 16) centred over it.
  const size_t ogre = json.find("\"kind\":4,");
  ASSERT_NE(ogre, std::string::npos);
  const int x = std::stoi(json.substr(json.rfind("\"x\":", ogre) + 4));
  EXPECT_NE(x, 490);
  EXPECT_LE(std::abs(x - 490), 3500 / 50 / 4);
  EXPECT_TRUE(Has(StageObject(json, 13), "\"x\":" + std::to_string(x) + ",\"y\":343"));
  EXPECT_TRUE(Has(StageObject(json, 15), "\"x\":" + std::to_string(x + 21) + ",\"y\":343"));
  EXPECT_TRUE(Has(StageObject(json, 16), "\"x\":" + std::to_string(x + 22) + ",\"y\":343"));
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

// Off platform 2 with the leg, up to the ogre: the blade hurts him once, his swing hurts
// the hero, and the leg (slot 1) heals within the limit and leaves its slot empty.
const char* kLegAndOgre =
    "1000 down Right\n1900 down Space\n2000 up Right\n2300 up Space\n3000 down X\n3100 up X\n"
    "4000 down Right\n4700 up Right\n5300 down Z\n5350 up Z\n6500 down Z\n6550 up Z\n"
    "7700 down Z\n7750 up Z\n11500 down 1\n11550 up 1\n";

TEST(Scenario, TheBladeHurtsTheOgreAndTheLegHealsTheHurtHero) {
  // Just after the key: accepted (only a hurt hero may eat), healed to the limit, the
  // figure "100" rising in three digits, the use timer running.
  std::string json = Play("heal", std::string(kStart) + kLegAndOgre, 11560);
  EXPECT_TRUE(Has(json, "\"hp\":150,\"maxHp\":150")) << json;
  EXPECT_TRUE(Has(json, "\"kind\":2,\"count\":1,\"value\":100,\"description\":\"用于补HP的\","
                        "\"name\":\"鸡腿\",\"inUse\":1"));
  EXPECT_TRUE(Has(json, "\"UseItemTimer\":200"));
  const size_t digits = json.find("\"DamageDigitList\":[");
  ASSERT_NE(digits, std::string::npos);
  const std::string list = json.substr(digits, json.find(']', digits) - digits);
  EXPECT_GE(std::count(list.begin(), list.end(), ','), 2) << list;
  // The ogre took one blow of 5 to 30 and is walking again.
  const size_t ogre = json.find("\"kind\":4,");
  ASSERT_NE(ogre, std::string::npos);
  const int hp = std::stoi(json.substr(json.find("\"hp\":", ogre) + 5));
  EXPECT_GE(hp, 170);
  EXPECT_LE(hp, 195);

  // 200 ms later the use is over: the slot is empty and the timer stopped.
  json = Play("healed", std::string(kStart) + kLegAndOgre, 12000);
  EXPECT_TRUE(Has(json, "\"kind\":0,\"count\":0,\"value\":100,\"description\":\"\",\"name\":\"\",\"inUse\":0"))
      << json;
  EXPECT_TRUE(Has(json, "\"UseItemTimer\":0"));
}

// Two jumps from the ground by the right edge reach platform 3, then platform 5, where the
// cloak lies; X takes it into slot 2 and key 2 puts it on.
TEST(Scenario, ClimbingToPlatformFiveAndWearingTheCloak) {
  const std::string json = Play("cloak", std::string(kStart) +
                                             "1000 down Right\n1900 down Space\n2000 up Right\n2300 up Space\n"
                                             "3000 down X\n3100 up X\n4000 down Right\n5000 up Right\n"
                                             "5100 down Space\n5600 up Space\n6000 down Space\n6500 up Space\n"
                                             "7000 down X\n7100 up X\n8500 down 2\n8550 up 2\n",
                                9000);
  // Landed on platform 5 (top 320) with the feet line at 319.
  EXPECT_TRUE(Has(json, "\"heroY\":223")) << json;
  EXPECT_TRUE(Has(json, "\"platformIndex\":5"));
  // The cloak went on at 8.5 s: ten contact ticks of 50 ms later it still runs, the hero
  // half transparent, its slot used up; the potion alone lies on the stage.
  EXPECT_TRUE(Has(json, "\"cloakOn\":1,\"cloakTicks\":10"));
  EXPECT_TRUE(Has(StageObject(json, 3), "\"alpha\":50"));
  EXPECT_TRUE(Has(json, "\"kind\":0,\"count\":0,\"value\":1,"));
  EXPECT_TRUE(Has(json, "\"GroundItemList\":[{\"name\":\"蓝药水\""));
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
