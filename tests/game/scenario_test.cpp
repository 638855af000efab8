// Scenarios of whole play: the real program, headless, steered by a script of timed keys,
// judged by its state dump. One scenario per behaviour; exact values where the rules
// are exact. Objects are found through the slots and records that hold their ids.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "dump_reader.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::Ge;
using ::testing::Le;
using ::testing::SizeIs;

std::string TempPath(const std::string& name) {
  return testing::TempDir() + "scenario_" + std::to_string(getpid()) + "_" + name;
}

// Plays `script` for `ms` of virtual time and reads the dump written at the end.
dump::Dump Play(const std::string& name, const std::string& script, int ms) {
  const std::string scriptPath = TempPath(name + ".txt"), dumpPath = TempPath(name + ".json");
  std::ofstream(scriptPath) << script;
  const std::string cmd = std::string(TOLVARAN_EXE) + " --headless --script " + scriptPath +
                          " --run-for " + std::to_string(ms) + " --dump-state " + dumpPath + " 2>/dev/null";
  const int status = std::system(cmd.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
  auto d = dump::Dump::ReadFile(dumpPath);
  std::remove(scriptPath.c_str());
  std::remove(dumpPath.c_str());
  if (!d) throw std::runtime_error("no readable dump from " + cmd);
  return *d;
}

// An inventory slot as (kind, count, value, description, name, inUse).
auto SlotHolds(int kind, int count, int value, const std::string& description, const std::string& name,
               int inUse) {
  return AllOf(Field(&dump::InventorySlot::kind, kind), Field(&dump::InventorySlot::count, count),
               Field(&dump::InventorySlot::value, value),
               Field(&dump::InventorySlot::description, description),
               Field(&dump::InventorySlot::name, name), Field(&dump::InventorySlot::inUse, inUse));
}

auto At(int x, int y) { return AllOf(Field(&dump::StageObject::x, x), Field(&dump::StageObject::y, y)); }

const char* kStart = "300 down Return\n350 up Return\n";
// Right, a jump onto platform 2 and X on the chicken leg lying there.
const std::string kUpToTheLeg = std::string(kStart) +
                                "1000 down Right\n1900 down Space\n2000 up Right\n2300 up Space\n"
                                "3000 down X\n3100 up X\n";
constexpr int kOgre = 4;

TEST(Scenario, WalkingRightStopsBesidePlatformTwo) {
  const dump::Dump d = Play("walk", std::string(kStart) + "1000 down Right\n3000 up Right\n", 3500);
  EXPECT_EQ(d.Time(), 3500);
  // Blocked once the box's right edge (heroX + 35) comes within 3 pixels of 272.
  EXPECT_EQ(d.Slot("heroX"), 234);
  EXPECT_EQ(d.Slot("heroY"), 376);
  EXPECT_EQ(d.Slot("blockedRight"), 1);
  EXPECT_EQ(d.Slot("blockedLeft"), 0);
  EXPECT_THAT(d.Object("heroBox"), At(234 + 19, 376));
  EXPECT_EQ(d.Object("heroSprite").flip, 1) << "facing right";

  // Meanwhile the ogre paced a pixel every fourth 50 ms tick, his bar centred over him.
  const dump::Monster ogre = d.Monster(kOgre);
  EXPECT_NE(ogre.x, 490);
  EXPECT_LE(std::abs(ogre.x - 490), 3500 / 50 / 4);
  EXPECT_THAT(d.ObjectById(ogre.spriteId), At(ogre.x, 343));
  EXPECT_THAT(d.ObjectById(ogre.barBackId), At(ogre.x + 21, 343));
  EXPECT_THAT(d.ObjectById(ogre.barFillId), At(ogre.x + 22, 343));
}

TEST(Scenario, JumpingOntoPlatformTwoAndPickingUpTheLeg) {
  const dump::Dump d = Play("leg", kUpToTheLeg + "4500 down 1\n4550 up 1\n", 5000);
  // Landed from a ground jump: the feet line met 454, three above the top at 457; the
  // sprites stand on the top (y 360) while heroY stays at 358.
  EXPECT_EQ(d.Slot("heroY"), 358);
  EXPECT_EQ(d.Slot("platformIndex"), 2);
  EXPECT_EQ(d.Object("heroBox").y, 360);
  EXPECT_EQ(d.Airborne(), 0);
  // The leg flew into slot 1; at full health using it was refused.
  EXPECT_THAT(d.Inventory().at(0), SlotHolds(2, 1, 100, "用于补HP的", "鸡腿", 0));
  EXPECT_EQ(d.TimerInterval("UseItemTimer"), 0);
  EXPECT_EQ(d.Slot("hp"), 150);
}

// Off platform 2 with the leg, up to the ogre: the blade hurts him once, his swing hurts
// the hero, and the leg (slot 1) heals within the limit and leaves its slot empty.
const std::string kLegAndOgre =
    kUpToTheLeg + "4000 down Right\n4700 up Right\n5300 down Z\n5350 up Z\n6500 down Z\n6550 up Z\n"
    "7700 down Z\n7750 up Z\n11500 down 1\n11550 up 1\n";

TEST(Scenario, TheBladeHurtsTheOgreAndTheLegHealsTheHurtHero) {
  // Just after the key: accepted (only a hurt hero may eat), healed to the limit, the
  // figure "100" rising in three digits, the use timer running.
  dump::Dump d = Play("heal", kLegAndOgre, 11560);
  EXPECT_EQ(d.Slot("hp"), 150);
  EXPECT_EQ(d.Slot("maxHp"), 150);
  EXPECT_THAT(d.Inventory().at(0), SlotHolds(2, 1, 100, "用于补HP的", "鸡腿", 1));
  EXPECT_EQ(d.TimerInterval("UseItemTimer"), 200);
  EXPECT_THAT(d.DamageDigits(), SizeIs(Ge(3u)));
  for (int id : d.DamageDigits()) EXPECT_TRUE(d.FindObject(id)) << "digit " << id << " is on the stage";
  // The ogre took one blow of 5 to 30.
  EXPECT_THAT(d.Monster(kOgre).hp, AllOf(Ge(170), Le(195)));

  // 200 ms later the use is over: the slot is empty and the timer stopped.
  d = Play("healed", kLegAndOgre, 12000);
  EXPECT_THAT(d.Inventory().at(0), SlotHolds(0, 0, 100, "", "", 0));
  EXPECT_EQ(d.TimerInterval("UseItemTimer"), 0);
}

// Two jumps from the ground by the right edge reach platform 3, then platform 5, where the
// cloak lies; X takes it into slot 2 and key 2 puts it on.
TEST(Scenario, ClimbingToPlatformFiveAndWearingTheCloak) {
  const dump::Dump d = Play("cloak", kUpToTheLeg + "4000 down Right\n5000 up Right\n"
                                         "5100 down Space\n5600 up Space\n6000 down Space\n6500 up Space\n"
                                         "7000 down X\n7100 up X\n8500 down 2\n8550 up 2\n",
                            9000);
  // Landed on platform 5 (top 320) with the feet line at 319.
  EXPECT_EQ(d.Slot("heroY"), 223);
  EXPECT_EQ(d.Slot("platformIndex"), 5);
  // The cloak went on at 8.5 s: ten contact ticks of 50 ms later it still runs, the hero
  // half transparent, its slot used up; the potion alone lies on the stage.
  EXPECT_EQ(d.Slot("cloakOn"), 1);
  EXPECT_EQ(d.Slot("cloakTicks"), 10);
  EXPECT_EQ(d.Object("heroSprite").alpha, 50);
  EXPECT_THAT(d.Inventory().at(1), AllOf(Field(&dump::InventorySlot::kind, 0),
                                         Field(&dump::InventorySlot::count, 0),
                                         Field(&dump::InventorySlot::value, 1)));
  EXPECT_THAT(d.GroundItems(), ElementsAre(Field(&dump::Item::name, "蓝药水")));
}

TEST(Scenario, QuietHeroStrikesTheIdlePose) {
  const dump::Dump d = Play("idle", kStart, 8000);
  EXPECT_EQ(d.Slot("idleShown"), 1);
  const dump::StageObject idle = d.Object("idleSprite");
  EXPECT_EQ(idle.tag, "主角待机");
  EXPECT_TRUE(idle.visible);
  EXPECT_TRUE(idle.playing) << "the idle pose is animated";
  EXPECT_GT(idle.frameCount, 1);
  EXPECT_LT(idle.frame, idle.frameCount);
  EXPECT_EQ(idle.flip, d.Object("heroSprite").flip) << "facing the way the hero faced";
  EXPECT_FALSE(d.Object("heroSprite").visible);
  EXPECT_THAT(d.Tagged("主角待机"), SizeIs(1));
}

// Over platform 2 to the ogre and standing there: its attacks wear the hero down, he
// rises off the stage and "游戏结束" fades in over the black cover.
TEST(Scenario, StandingByTheOgreEndsInGameOver) {
  const dump::Dump d = Play("fight", std::string(kStart) +
                                         "1000 down Right\n2000 down Space\n2400 up Space\n2500 up Right\n",
                            120000);
  EXPECT_EQ(d.Slot("hp"), 0);
  EXPECT_EQ(d.Slot("heroDead"), 1);
  EXPECT_EQ(d.Slot("gameOver"), 1);
  const dump::StageObject cover = d.Object("coverSprite");
  EXPECT_EQ(cover.alpha, 0);
  EXPECT_EQ(cover.tintDepth, 100);
  EXPECT_EQ(cover.tint, 0x000000) << "tinted black";
  const std::vector<dump::StageObject> ending = d.Showing("游戏结束");
  ASSERT_THAT(ending, SizeIs(1));
  EXPECT_EQ(ending[0].layer, 10006);
  EXPECT_EQ(ending[0].alpha, 0);
  EXPECT_TRUE(ending[0].visible);
  EXPECT_EQ(ending[0].zoomX, 1000);
  EXPECT_EQ(ending[0].tintDepth, 0);
  // The hero was squeezed and washed white as he rose.
  const dump::StageObject hero = d.Object("heroSprite");
  EXPECT_EQ(hero.zoomX, 100);
  EXPECT_EQ(hero.tint, 0xFFFFFF);
  EXPECT_EQ(hero.tintDepth, 90);
}

}  // namespace
