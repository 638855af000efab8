// MIDI files: opening, converting one whole pass, then rewinding and converting with
// repeats until the song has started over twice, never reads outside the input and
// always ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/audio.h"
#include "runtime/sound/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto song = rt::MidiSong::Open({data, size});
  if (!song) return 0;
  platform::MidiStreamEvent events[85];
  // A pass converts each event of the input once; the bound only guards against a
  // conversion that makes no progress.
  constexpr int kMaxRounds = 200000;
  size_t pass = 0;
  int rounds = 0;
  for (; rounds < kMaxRounds && !song->Over(); ++rounds) pass += song->Fill(events, 85, false);
  if (rounds == kMaxRounds) std::abort();
  // With repeats the song never ends by itself: two passes and a bit cross the seam twice.
  song->Rewind();
  size_t left = 2 * pass + 1;
  for (rounds = 0; rounds < kMaxRounds && left > 0 && !song->Over(); ++rounds) {
    const size_t n = song->Fill(events, 85, true);
    left -= n < left ? n : left;
  }
  if (rounds == kMaxRounds) std::abort();
  return 0;
}
