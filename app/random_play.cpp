#include "app/random_play.h"

#include <algorithm>

#include "platform/types.h"

namespace app {

namespace {

using platform::ScriptedKey;

// The clock is 32-bit milliseconds; stop well before it wraps (about 46 days of play).
constexpr uint32_t kLastMoveStart = 4'000'000'000u;

}  // namespace

RandomPlayer::RandomPlayer(uint64_t seed) : dice_(seed) {}

uint32_t RandomPlayer::Between(uint32_t lo, uint32_t hi) {
  const uint64_t span = uint64_t(hi) - lo + 1;
  return lo + uint32_t(dice_() % span);  // the bias of % is far below what matters here
}

void RandomPlayer::Press(int vk, uint32_t at, uint32_t holdMs) {
  planned_.push_back(ScriptedKey{at, vk, true});
  planned_.push_back(ScriptedKey{at + holdMs, vk, false});
}

int RandomPlayer::AnyWay() { return Chance(50) ? platform::VK_LEFT : platform::VK_RIGHT; }

uint32_t RandomPlayer::JumpHold() {
  // A tap hops; a long hold climbs to a platform.
  return Chance(50) ? Between(40, 150) : Between(300, 900);
}

uint32_t RandomPlayer::Walk() {
  const int way = AnyWay();
  const uint32_t hold = Between(200, 3000);
  Press(way, cursor_, hold);
  uint32_t end = cursor_ + hold;
  // People jump and swing on the move, and press X when they pass something.
  if (Chance(40)) {
    const uint32_t at = cursor_ + Between(0, hold * 2 / 3);
    const uint32_t jump = JumpHold();
    Press(platform::VK_SPACE, at, jump);
    end = std::max(end, at + jump);
  }
  if (Chance(25)) {
    const uint32_t at = cursor_ + Between(0, hold);
    Press('Z', at, Between(40, 160));
  }
  if (Chance(50)) Press('X', cursor_, hold);  // reaching for whatever lies on the way
  return std::max(end, cursor_ + hold + 200);
}

uint32_t RandomPlayer::Jump() {
  const uint32_t hold = JumpHold();
  Press(platform::VK_SPACE, cursor_, hold);
  uint32_t end = cursor_ + hold;
  if (Chance(50)) {
    const uint32_t at = cursor_ + Between(0, 100);
    const uint32_t walk = Between(300, 1200);
    Press(AnyWay(), at, walk);
    end = std::max(end, at + walk);
  }
  return end;
}

uint32_t RandomPlayer::SwingBlade() {
  uint32_t t = cursor_;
  if (Chance(50)) {  // turn to face the other way first
    const uint32_t tap = Between(30, 80);
    Press(AnyWay(), t, tap);
    t += tap + Between(30, 150);
  }
  for (uint32_t swings = Between(1, 5); swings > 0; --swings) {
    const uint32_t hold = Between(40, 160);
    Press('Z', t, hold);
    t += hold + Between(200, 700);
  }
  return t;
}

uint32_t RandomPlayer::PickUp() {
  const uint32_t hold = Between(50, 200);
  Press('X', cursor_, hold);
  return cursor_ + hold;
}

uint32_t RandomPlayer::UseItem() {
  // Things land in the first slots, so those are pressed most.
  const uint32_t roll = Between(1, 100);
  const int slot = roll <= 35 ? 1 : roll <= 65 ? 2 : roll <= 85 ? 3 : roll <= 95 ? 4 : 5;
  const uint32_t hold = Between(60, 200);
  Press('0' + slot, cursor_, hold);
  return cursor_ + hold;
}

void RandomPlayer::PlanNextMove() {
  planned_.clear();
  nextPlanned_ = 0;
  while (planned_.empty() && cursor_ < kLastMoveStart) {
    uint32_t end = cursor_;
    if (cursor_ == 0) {
      // Enter on the splash, once it is up, to start the level.
      const uint32_t at = Between(300, 600), hold = Between(40, 120);
      Press(platform::VK_RETURN, at, hold);
      end = at + hold + Between(500, 1500);
    } else {
      const uint32_t roll = Between(1, 100);
      if (roll <= 35) end = Walk();
      else if (roll <= 50) end = Jump();
      else if (roll <= 70) end = SwingBlade();
      else if (roll <= 78) end = PickUp();
      else if (roll <= 90) end = UseItem();
      else end = cursor_ + Between(300, 2000);  // a pause
    }
    cursor_ = end + Between(30, 400);
  }
  std::stable_sort(planned_.begin(), planned_.end(),
                   [](const ScriptedKey& a, const ScriptedKey& b) { return a.timeMs < b.timeMs; });
}

std::optional<ScriptedKey> RandomPlayer::Next() {
  if (nextPlanned_ == planned_.size()) PlanNextMove();
  if (nextPlanned_ == planned_.size()) return std::nullopt;
  return planned_[nextPlanned_++];
}

}  // namespace app
