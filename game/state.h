// The game's global state: fixed slot arrays, record lists and one plain integer, all
// held in the value runtime's checked arrays (1-based; a bad index is runtime error 1
// or 4). Every handler reads and writes these directly.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/values/values.h"

namespace game {

// ---- slots of the fixed arrays -------------------------------------------------------
enum HeroRefSlot : int {
  heroSprite = 1, heroBox, attackSprite, idleSprite, bladeSprite, portraitSprite,
  hpBarBack, hpBarFill, heroX, heroY,
};
enum HeroStatSlot : int {
  boxWidth = 1, boxHeight, hp, maxHp, heroDead, gameOver, cloakOn, cloakTicks, boxOffset,
};
enum HeroFlagSlot : int {
  walkFrameCount = 1, blockedRight, blockedLeft, heroFlagReserved, platformIndex, idleTicks,
  idleShown, attacking, hitFlag, flashPhase,
};
enum JumpSlot : int { riseTicks = 1, falling, edgeLock, riseLimit, riseCut };
enum ScreenSlot : int { splashSprite = 1, coverSprite, screenReserved };

inline constexpr int kHeroRefsSize = 10;
inline constexpr int kHeroStatsSize = 9;
inline constexpr int kHeroFlagsSize = 10;
inline constexpr int kScreenRefsSize = 3;
inline constexpr int kJumpStateSize = 5;

// ---- records -----------------------------------------------------------------------------
// Texts are GBK heap texts owned by their record (null is empty).
enum MonsterState : int32_t { Walking = 1, Hurt = 2, Attacking = 3, Dying = 4 };

struct Monster {
  int32_t x, y, direction, spriteId, kind;
  char* pictureFolder;
  int32_t state, hitCooldown, hp, maxHp, barBackId, barFillId, attackEffectId, stepCounter;
};
struct Platform {
  int32_t left, top, right, bottom, spriteId, level;
};
struct Item {
  char* name;
  int32_t kind, value;
  char* description;
  int32_t x, y, fade, pickState, glowPhase, spriteId;
};
struct InventorySlot {
  int32_t slotSpriteId, numberLabelId, iconSpriteId, countLabelId, kind, count, value;
  char* description;
  char* name;
  int32_t inUse;
};

// ---- the globals, in creation order ------------------------------------------------------
struct GameState {
  void* MonsterList = nullptr;     // Monster* elements
  void* HeroRefs = nullptr;        // int32 x 10
  void* HeroStats = nullptr;       // int32 x 9
  void* HeroFlags = nullptr;       // int32 x 10
  void* PlatformList = nullptr;    // Platform* elements
  void* Inventory = nullptr;       // InventorySlot* elements
  void* ScreenRefs = nullptr;      // int32 x 3
  void* GroundItemList = nullptr;  // Item* elements
  void* DamageDigitList = nullptr; // int32 elements
  int32_t Airborne = 0;
  void* JumpState = nullptr;       // int32 x 5
};
extern GameState g;

void CreateGameState();
void ReleaseGameState();  // the cleanup routine registered with the runtime

// ---- checked access ------------------------------------------------------------------------
inline int32_t& HeroRef(int slot) { return rt::At<int32_t>(g.HeroRefs, slot); }
inline int32_t& HeroStat(int slot) { return rt::At<int32_t>(g.HeroStats, slot); }
inline int32_t& HeroFlag(int slot) { return rt::At<int32_t>(g.HeroFlags, slot); }
inline int32_t& Jump(int slot) { return rt::At<int32_t>(g.JumpState, slot); }
inline int32_t& ScreenRef(int slot) { return rt::At<int32_t>(g.ScreenRefs, slot); }

inline int64_t Count(const void* list) { return int64_t(rt::ElementCount(list)); }
template <class R>
R& Record(void* list, int64_t index) {
  return *rt::At<R*>(list, index);
}
// Appends a zero-filled record (separately allocated, owned through the list).
template <class R>
R& AppendRecord(void** list) {
  R* record = static_cast<R*>(rt::Allocate(sizeof(R)));
  *record = R{};
  rt::AppendElement(list, &record, sizeof(R*));
  return *record;
}
inline void AppendInt(void** list, int32_t v) { rt::AppendElement(list, &v, sizeof v); }

// The state as one JSON document (texts converted to UTF-8).
std::string DumpStateJson();
// Where --dump-state writes at program end (empty: nowhere). Written by the cleanup
// routine just before the state is released.
void SetDumpStatePath(std::string utf8Path);
void WriteStateDumpIfAsked();

}  // namespace game
