// What the sound devices accept, and where the General MIDI sound font lives.
#include <cstdio>
#include <cstring>

#include "platform/audio.h"

namespace platform {

bool IsPlayableWaveFormat(const WaveFormat& fmt) {
  if (fmt.formatTag != 1) return false;
  if (fmt.bitsPerSample != 8 && fmt.bitsPerSample != 16) return false;
  if (fmt.channels < 1 || fmt.channels > 2) return false;
  // Below 4,000 Hz a 15,360-byte buffer of 8-bit mono lasts longer than the players'
  // stall limit, and nothing real is recorded that slowly.
  if (fmt.samplesPerSec < 4000 || fmt.samplesPerSec > 192000) return false;
  return fmt.blockAlign == fmt.channels * fmt.bitsPerSample / 8;
}

namespace {

// A sound font file starts "RIFF" <size> "sfbk"; anything else is not worth handing to
// the synthesiser.
bool LooksLikeSoundFont(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char head[12] = {};
  size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && std::memcmp(head, "RIFF", 4) == 0 &&
         std::memcmp(head + 8, "sfbk", 4) == 0;
}

}  // namespace

std::string FindSoundFont() {
  static const char* const kPlaces[] = {
      "/usr/share/sounds/sf2/TimGM6mb.sf2",
      "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/soundfonts/default.sf2",
      "/usr/share/soundfonts/FluidR3_GM.sf2",
      "/usr/local/share/sounds/sf2/TimGM6mb.sf2",
      "/usr/local/share/soundfonts/default.sf2",
  };
  for (const char* place : kPlaces)
    if (LooksLikeSoundFont(place)) return place;
  return {};
}

}  // namespace platform
