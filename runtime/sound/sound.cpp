// What the runtime's PlaySound hands over, and the stop at program end.
#include <cstring>

#include "runtime/sound/sound.h"

namespace rt {
namespace {

// The kind of sound data is decided by its first bytes only.
bool LooksLikeWave(std::span<const uint8_t> d) {
  return d.size() > 11 && std::memcmp(d.data(), "RIFF", 4) == 0 &&
         std::memcmp(d.data() + 8, "WAVE", 4) == 0;
}
bool LooksLikeMidi(std::span<const uint8_t> d) {
  return d.size() > 4 && std::memcmp(d.data(), "MThd", 4) == 0;
}

}  // namespace

bool PlaySoundData(std::span<const uint8_t> data, int loop) {
  if (LooksLikeWave(data)) return PlayWave(data, loop);
  if (LooksLikeMidi(data)) return RuntimeMidiPlayer().Play(data, loop != 0);
  return false;
}

MidiPlayer& RuntimeMidiPlayer() {
  // Lives for the whole process: its device callbacks may run during exit.
  static MidiPlayer* player = new MidiPlayer;
  return *player;
}

void StopAllSounds() {
  RuntimeMidiPlayer().Stop();
  StopAllWaves(true);
}

}  // namespace rt
