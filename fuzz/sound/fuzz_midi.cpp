// MIDI files: opening and converting a whole pass (looping twice) never reads outside the
// input and always ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/audio.h"
#include "runtime/sound/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto song = rt::MidiSong::Open({data, size});
  if (!song) return 0;
  platform::MidiStreamEvent events[85];
  // Each Fill either produces events or ends the song; a bound guards against a loop
  // that makes no progress.
  for (int rounds = 0; rounds < 200000 && !song->Over(); ++rounds) {
    if (song->Fill(events, 85, rounds < 1000) == 0 && song->Over()) break;
  }
  return 0;
}
