// The game's global state: fixed slot arrays, record lists and one plain integer, all
// held in the value runtime's checked arrays (1-based; a bad index is runtime error 1
// or 4). Every handler reads and writes these directly.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/values/values.h"

namespace game {

// ---- slots of the fixed arrays -------------------------------------------------------
// Scoped so that a slot can only index its own array; rule files bring the names in
// with `using enum` and write state[heroX].
enum class HeroRef : int {
  heroSprite = 1, heroBox, attackSprite, idleSprite, bladeSprite, portraitSprite,
  hpBarBack, hpBarFill, heroX, heroY,
};
enum class HeroStat : int {
  boxWidth = 1, boxHeight, hp, maxHp, heroDead, gameOver, cloakOn, cloakTicks, boxOffset,
};
enum class HeroFlag : int {
  walkFrameCount = 1, blockedRight, blockedLeft, heroFlagReserved, platformIndex, idleTicks,
  idleShown, attacking, hitFlag, flashPhase,
};
enum class JumpSlot : int { riseTicks = 1, falling, edgeLock, riseLimit, riseCut };
enum class ScreenRef : int { splashSprite = 1, coverSprite, screenReserved };

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

// ---- lists -----------------------------------------------------------------------------
// A record list of the value runtime seen as its records: 1-based and checked (index 0
// is runtime error 4, past the end error 1), growing by one separately allocated record.
template <class R>
class RecordList {
 public:
  explicit RecordList(void*& block) : block_(&block) {}
  int64_t Count() const { return int64_t(rt::ElementCount(*block_)); }
  R& operator[](int64_t index) const { return *rt::At<R*>(*block_, index); }
  // A new zero-filled record at the end.
  R& Append() const {
    R* record = static_cast<R*>(rt::Allocate(sizeof(R)));
    *record = R{};
    rt::AppendElement(block_, &record, sizeof(R*));
    return *record;
  }
  // Releases the record at `index` with the texts it owns; later records move up.
  void RemoveAt(int64_t index) const {
    R* record = rt::At<R*>(*block_, index);
    ReleaseOwned(*record);
    rt::Free(record);
    rt::RemoveElements(block_, index, 1, sizeof(R*));
  }

 private:
  void** block_;
};

// A list of ints (sprite ids).
class IntList {
 public:
  explicit IntList(void*& block) : block_(&block) {}
  int64_t Count() const { return int64_t(rt::ElementCount(*block_)); }
  int32_t& operator[](int64_t index) const { return rt::At<int32_t>(*block_, index); }
  void Append(int32_t v) const { rt::AppendElement(block_, &v, sizeof v); }
  void RemoveAt(int64_t index) const { rt::RemoveElements(block_, index, 1, sizeof(int32_t)); }

 private:
  void** block_;
};

// Releases an owned text and leaves it empty (null).
void ReleaseText(char*& text);
// The texts a record owns, released with it (empty texts are null and skipped).
void ReleaseOwned(Monster& m);
inline void ReleaseOwned(Platform&) {}
void ReleaseOwned(Item& item);
void ReleaseOwned(InventorySlot& slot);

// ---- the globals, in creation order ------------------------------------------------------
// Each is a block of the value runtime (null for an empty list), so every slot and
// record access is bounds-checked as the game's own arrays are.
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

  int32_t& operator[](HeroRef s) { return rt::At<int32_t>(HeroRefs, int(s)); }
  int32_t& operator[](HeroStat s) { return rt::At<int32_t>(HeroStats, int(s)); }
  int32_t& operator[](HeroFlag s) { return rt::At<int32_t>(HeroFlags, int(s)); }
  int32_t& operator[](JumpSlot s) { return rt::At<int32_t>(JumpState, int(s)); }
  int32_t& operator[](ScreenRef s) { return rt::At<int32_t>(ScreenRefs, int(s)); }

  RecordList<Monster> Monsters() { return RecordList<Monster>(MonsterList); }
  RecordList<Platform> Platforms() { return RecordList<Platform>(PlatformList); }
  RecordList<InventorySlot> Slots() { return RecordList<InventorySlot>(Inventory); }
  RecordList<Item> GroundItems() { return RecordList<Item>(GroundItemList); }
  IntList DamageDigits() { return IntList(DamageDigitList); }
};
// The game's one global state.
extern GameState state;

void CreateGameState();
void ReleaseGameState();  // the cleanup routine registered with the runtime

inline int64_t Count(const void* list) { return int64_t(rt::ElementCount(list)); }

// The state as one JSON document (texts converted to UTF-8).
std::string DumpStateJson();
// Where --dump-state writes at program end (empty: nowhere). Written by the cleanup
// routine just before the state is released.
void SetDumpStatePath(std::string utf8Path);
void WriteStateDumpIfAsked();

}  // namespace game
