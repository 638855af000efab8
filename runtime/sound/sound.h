// Sound playback of the runtime: WAVE data streamed by a feeder thread per sound, and
// Standard MIDI Files played through the MIDI stream device.
//
// NOTE for the first implementer: the form runtime and the commands are written against
// these declarations; extend freely, keep these signatures.
#pragma once
#include <cstdint>
#include <memory>
#include <span>

namespace rt {

// What PlaySound hands over: WAVE to a new WAVE player, MIDI to the runtime's own MIDI
// player (stopping its old tune first), anything else is refused. loop != 0 repeats.
// True when playback started.
bool PlaySoundData(std::span<const uint8_t> data, int loop);

bool PlayWave(std::span<const uint8_t> data, int loop);
void StopAllWaves(bool wait);

// One MIDI player; the runtime owns one, every window owns one for its music.
class MidiPlayer {
 public:
  MidiPlayer();
  ~MidiPlayer();  // stops and closes
  MidiPlayer(const MidiPlayer&) = delete;
  MidiPlayer& operator=(const MidiPlayer&) = delete;
  // Stops what plays, copies the data, starts it. True when the data is MIDI (even when
  // the device could not start).
  bool Play(std::span<const uint8_t> data, bool loop);
  void Stop();  // waits at most 2,000 ms for the stop
  bool Playing() const;

  struct State;
 private:
  std::unique_ptr<State> state_;
};
MidiPlayer& RuntimeMidiPlayer();

// Program end: stops the runtime's MIDI player (waiting) and every WAVE sound (waiting).
void StopAllSounds();

}  // namespace rt
