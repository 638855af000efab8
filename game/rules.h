// The game's routines, one group per file of game/, and the few helpers they share.
// The handlers (game/handlers.cpp) call these on each tick and event; the routines call
// each other as the rules do.
#pragma once
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/catalogue.h"

namespace game {

// ---- splash and level start (splash.cpp) ---------------------------------------------
void ShowSplash();                 // `GameForm` Created
void BuildLevelAfterSplash();      // the splash's one play has ended
void SkipSplash();                 // Enter released during the splash
// ---- the level (world.cpp) -------------------------------------------------------------
void WorldSetUp();
// ---- platforms, monsters and their bars (platforms_and_monsters.cpp) -----------------
void CreatePlatform(double x, double y, int level);
void CreateMonster(double x, double y, const MonsterKind& kind);
bool IsAreaOccupied(double x, double y, int height, int width);
void UpdateMonsterHealthBar(int64_t monsterIndex);
struct Monster;
// What a monster's kind row says of it; a kind outside the table says no to each.
bool HasBar(const Monster& m);
bool LosesHitPoints(const Monster& m);
bool SortedByDepth(const Monster& m);
// The bytes of one of a monster's pictures: its folder, its kind and the pose.
std::vector<uint8_t> MonsterPicture(const Monster& m, Pose pose);
// The kind-4 monster's bar over its sprite: the background centred, the fill inside it.
void PlaceMonsterBar(const Monster& m);
// ---- damage figures (damage_figures.cpp) ----------------------------------------------
enum class FigureRow { Damage, Healing };  // the rows of the digit sheet
void ShowDamageFigure(int targetSpriteId, int amount, FigureRow row);
void DriftDamageFigures();         // every `PickUpTimer` tick
bool DamageFiguresShown();         // else DriftDamageFigures has nothing to do
// ---- ground items (items.cpp) ----------------------------------------------------------
void CreateItem(double x, double y, const ItemKindRow& kind);
void StartPickUp();
void BobAndGlowItems();            // every `ItemTimer` tick
void FlyPickedItems();             // every `PickUpTimer` tick
// Whether a ground item is in that state: 0 bobs (BobAndGlowItems), 1 flies (FlyPickedItems).
bool AnyItemInPickState(int pickState);
// ---- inventory (inventory.cpp) ---------------------------------------------------------
void CreateInventoryBar();
void UseInventorySlot(int slot);
void FinishItemUse();              // `UseItemTimer` tick
// ---- heads-up display (hud.cpp) ---------------------------------------------------------
void RefreshHeroBar();
// ---- hero keys (hero_keys.cpp) ---------------------------------------------------------
void ActOnHeldKeys(int key);
void ActOnKeyRelease(int key);
// ---- jump and fall (jump.cpp) ----------------------------------------------------------
void StartJump();
void StartFall();
void CutJumpShort();               // the jump key released
void StepFlight();                 // `JumpTimer` tick
// ---- attack and hurt flash (attack.cpp) ------------------------------------------------
void HeroAttack();
void EndHeroSwing(int objectId);
void StepHurtFlash();              // `HeroFlashTimer` tick
// ---- monsters (monster_timer.cpp, monster_states.cpp) ----------------------------------
void MonstersAttackOrWalk();       // `MonsterTimer` tick
bool MonstersWalking();            // else MonstersAttackOrWalk has nothing to do
// The ways a monster enters a state; each takes its picture, facing and layer from one
// row of the state table.
enum class MonsterEntry {
  Attack,    // Walking -> Attacking: the swing toward the hero
  Flinch,    // Walking -> Hurt: the blade found it
  Die,       // Walking -> Dying: the blade took its last hit points
  WalkOn,    // Hurt -> Walking, in its (fresh) direction
  StepBack,  // Attacking -> Walking, back on the monsters' layer
};
void EnterState(Monster& m, MonsterEntry entry);
void EndMonsterState(int objectId);  // its one-time animation has ended
bool HeroToTheRight(const Monster& m);
// ---- combat and the cloak (combat.cpp) -------------------------------------------------
void SortByDepth();                // the hero's body and the ogre by their feet
enum class Contact { None, HeroHurt, MonsterHurt, MonsterKilled };
Contact ResolveFirstContact();
void RunDownCloak();
// No hero body on the stage, no monster, no cloak: the three above have nothing to do.
bool CombatQuiet();
void CoolDownMonsters();           // every `ItemTimer` tick, after the items
bool MonstersCoolingDown();        // else CoolDownMonsters has nothing to do
// ---- idle pose, death exit and game over (idle_and_death.cpp) -------------------------
void ShowIdlePoseWhenQuiet();      // `IdleTimer` tick
void StepDeathExit();              // every `PickUpTimer` tick, after items and figures
bool DeathExitRunning();           // else StepDeathExit has nothing to do
void GameOver(int objectId);       // `MainStage` OutOfBorder

// ---- shared helpers ----------------------------------------------------------------------
// Positions are computed in double precision and passed on truncated toward zero.
inline int Trunc(double v) { return int(std::trunc(v)); }
// Comparisons of computed positions allow for 1e-7 of rounding.
inline bool Same(double a, double b) { return std::fabs(a - b) <= 1e-7; }
inline bool Above(double a, double b) { return a - b > 1e-7; }         // a > b
inline bool AtLeast(double a, double b) { return a - b >= -1e-7; }     // a >= b
inline bool Below(double a, double b) { return a - b < -1e-7; }        // a < b
inline bool AtMost(double a, double b) { return a - b <= 1e-7; }       // a <= b

}  // namespace game
