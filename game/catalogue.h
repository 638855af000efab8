// The game's facts, each spelt once: what the stage knows the sprites by (type values and
// tags), the kinds of items and monsters, the pictures and their files, the colours, the
// layers and the keys. The rules name these; a number or a text of this list written
// anywhere else in game/ is a fact copied, and a copy can drift.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "game/assets/builtin_assets.h"

namespace game {

// ---- sprite type values: what the stage's collision rules know a sprite by ------------
enum SpriteType : int {
  kTypePlatform = 0,  // platforms and the ground; also the templates between creations
  kTypeHero = 1,
  kTypeAttack = 2,    // the hero's swing
  kTypeIdle = 3,      // the idle pose standing in for the hero
  kTypeBlade = 4,     // the blade light that hurts monsters
  kTypeHeroBox = 5,
  kTypeProbe = 12,    // the probe that asks whether an area is taken
  kTypeAttackEffect = 107,  // a monster's attack effect, the sprite that hurts the hero
};
// A monster's type value follows from its kind: 6 for the ogre, 7 for the dragon.
constexpr int MonsterType(int kind) { return kind + 2; }

// ---- sprite tags: what the rules find sprites by ---------------------------------------
enum class Tag { Hero, HeroBox, Attack, Idle, Blade, Item };
// Other texts the game shows.
enum class Text { GameOver, GameOverFont, ItemDescription };
// In the stage's and the runtime's text encoding (GBK), converted on first use and kept.
const std::string& Gbk(Tag tag);
const std::string& Gbk(Text text);
// Any other text in GBK (item names), converted once and kept.
const std::string& Gbk(std::string_view utf8);

// ---- items ---------------------------------------------------------------------------
enum ItemKind : int32_t { kNoItem = 0, kBluePotion = 1, kChickenLeg = 2, kCloak = 3 };
enum class ItemUse { Heal, Hide };
struct ItemKindRow {
  ItemKind kind;
  const char* name;     // UTF-8
  int32_t value;        // hit points restored; 1 for the cloak
  ItemUse use;
  const char* picture;  // under the program folder, UTF-8
};
inline constexpr ItemKindRow kItemKinds[] = {
    {kBluePotion, "蓝药水", 50, ItemUse::Heal, "\\图片集合\\蓝药水.png"},
    {kChickenLeg, "鸡腿", 100, ItemUse::Heal, "\\图片集合\\鸡腿.png"},
    {kCloak, "隐身衣", 1, ItemUse::Hide, "\\图片集合\\隐身衣.png"},
};
// The row of an item kind; null for kNoItem and for a kind outside the table.
const ItemKindRow* FindItemKind(int32_t kind);

// ---- monsters ------------------------------------------------------------------------
// kNoMonsterKind lies outside the table: a record of it stands still (the monster timer
// and the depth sort pass it by) and only flinches when the blade finds it.
enum MonsterKindId : int32_t { kNoMonsterKind = 0, kOgre = 4, kDragon = 5 };
struct MonsterKind {
  MonsterKindId kind;         // also the start of every picture file's name
  int32_t hitPoints;          // at creation; 0 for a monster that cannot die
  bool hasBar;                // a two-piece health bar rides over it
  bool losesHitPoints;        // the blade takes hit points (else it only flinches)
  bool sortedByDepth;         // drawn in front of or behind the hero by its feet
  const char* pictureFolder;  // under the program folder, UTF-8, ending in a backslash
};
inline constexpr MonsterKind kMonsterKinds[] = {
    {kOgre, 200, true, true, true, "\\怪物图片\\"},
    {kDragon, 0, false, false, false, "\\怪物图片\\"},
};
// The row of a kind; null for a kind outside the table.
const MonsterKind* FindMonsterKind(int32_t kind);

// A monster's pictures are its folder, its kind and the pose's suffix ("4-2.gif").
enum class Pose : int { Hurt = 1, Walking = 2, Attacking = 3, AttackEffect = 5 };
// "-1.gif" and so on.
std::string PoseSuffix(Pose pose);

// ---- pictures ------------------------------------------------------------------------
// Built into the program (game/assets): the hero's pictures, the portrait and the swing's
// sound.
using assets::AttackPicture;
using assets::AttackSound;
using assets::BladePicture;
using assets::IdlePicture;
using assets::JumpPicture;
using assets::PortraitPicture;
using assets::StandPicture;
// Files under the program folder (UTF-8; a missing file is an empty picture). The item
// pictures are in kItemKinds, the monsters' in their folders.
inline constexpr const char* kSplashPicture = "\\怪物图片\\音乐人.jpg";
inline constexpr const char* kStatuePicture = "\\怪物图片\\武士雕像.jpg";
inline constexpr const char* kHeroBarBackPicture = "\\图片集合\\血条底图.png";
inline constexpr const char* kHeroBarFillPicture = "\\图片集合\\血条进度.png";
inline constexpr const char* kMonsterBarBackPicture = "\\图片集合\\怪物进度底图.png";
inline constexpr const char* kMonsterBarFillPicture = "\\图片集合\\怪物进度条.png";
inline constexpr const char* kSlotPicture = "\\图片集合\\物品底图.png";
inline constexpr const char* kDigitSheetPicture = "\\图片集合\\Damage(代用).png";

// ---- colours (0xBBGGRR) ----------------------------------------------------------------
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kWhite = 0xFFFFFF;
inline constexpr uint32_t kRed = 0x0000FF;      // the hurt hero's flash
inline constexpr uint32_t kYellow = 0x00FFFF;   // a hurt monster's pulse
inline constexpr uint32_t kBlue = 0xFF0000;     // inventory counts
inline constexpr uint32_t kMagenta = 0xFF00FF;  // the scratch stage's background

// ---- layers --------------------------------------------------------------------------
// Platforms lie on 0 and a monster back from its attack on 1; the hero and the ogre are
// sorted by their feet (below 480); everything above the play field is listed here.
enum Layer : int {
  kLayerPlatforms = 0, kLayerMonster = 1,
  kLayerHud = 10000, kLayerItems = 10001, kLayerLabels = 10002, kLayerBarBack = 10002,
  kLayerBarFill = 10003, kLayerDigits = 10004, kLayerCover = 10005, kLayerSplash = 10006,
};

// ---- keys ----------------------------------------------------------------------------
enum Key : int {
  kKeyEnter = 13, kKeySpace = 32, kKeyLeft = 37, kKeyRight = 39, kKeyDigit0 = 48,
  kKeyX = 88, kKeyZ = 90,
};

}  // namespace game
