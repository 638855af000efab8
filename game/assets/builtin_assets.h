// The pictures, sound and tune built into the program. The bytes are generated at build
// time by tools/assetgen and compiled in; they are constant and never freed.
#pragma once
#include <cstdint>
#include <span>

namespace game::assets {

std::span<const uint8_t> StandPicture();     // animated GIF 54 x 96, frame 0 stands
std::span<const uint8_t> JumpPicture();      // GIF 64 x 96
std::span<const uint8_t> AttackPicture();    // animated GIF 112 x 105, played once
std::span<const uint8_t> BladePicture();     // animated GIF 112 x 105, played once
std::span<const uint8_t> IdlePicture();      // animated GIF 84 x 96, looped
std::span<const uint8_t> PortraitPicture();  // PNG 60 x 60
std::span<const uint8_t> AttackSound();      // RIFF WAVE, 22,050 Hz, 16-bit, stereo
std::span<const uint8_t> StageBackground();  // JPEG 640 x 480
std::span<const uint8_t> BlockPicture();     // JPEG 96 x 16
std::span<const uint8_t> Music();            // Standard MIDI, format 1, 8 tracks, 480 ppq

}  // namespace game::assets
