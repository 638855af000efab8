// --random-play SEED: a player made of dice, for soaking the game. It presses Enter on the
// splash, then plays for as long as the run lasts in moves shaped like a person's: walks
// of a few seconds, jumps tapped or held long, bursts of blade swings, pick-ups, an item
// used now and then, pauses. Every key it presses it lets go again within its move, so
// nothing stays held. The same seed gives the same keys.
#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "platform/host.h"

namespace app {

class RandomPlayer final : public platform::KeySource {
 public:
  explicit RandomPlayer(uint64_t seed);
  std::optional<platform::ScriptedKey> Next() override;

 private:
  // Draws from the engine's raw output, not through std::uniform_int_distribution, so
  // that a seed plays the same game with every standard library. Each draw is a
  // statement of its own: the order of a call's arguments is not fixed.
  uint32_t Between(uint32_t lo, uint32_t hi);
  bool Chance(uint32_t percent) { return Between(1, 100) <= percent; }
  void Press(int vk, uint32_t at, uint32_t holdMs);
  uint32_t JumpHold();
  int AnyWay();

  // One move each, starting at cursor_; each returns when the move's last key is up.
  uint32_t Walk();
  uint32_t Jump();
  uint32_t SwingBlade();
  uint32_t PickUp();
  uint32_t UseItem();
  void PlanNextMove();

  std::mt19937_64 dice_;
  uint32_t cursor_ = 0;                        // where the next move may start
  std::vector<platform::ScriptedKey> planned_;  // the current move's keys, in time order
  size_t nextPlanned_ = 0;
};

}  // namespace app
