// The game's pictures the "game" scene shows, as the asset generator makes them, embedded
// in the demo itself at build time: the demo stands on the stage alone, not on the game.
#pragma once
#include <cstdint>
#include <span>

namespace stagedemo::game_pictures {

std::span<const uint8_t> StandPicture();     // animated GIF, the hero walking
std::span<const uint8_t> AttackPicture();    // animated GIF, the hero's swing
std::span<const uint8_t> IdlePicture();      // animated GIF, the hero idle
std::span<const uint8_t> StageBackground();  // JPEG 640 x 480

}  // namespace stagedemo::game_pictures
