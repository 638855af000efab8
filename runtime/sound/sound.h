// Sound playback of the runtime: WAVE data streamed by a feeder thread per sound, and
// Standard MIDI Files played through the MIDI stream device. Nothing here blocks the
// caller except the stops that are asked to wait.
//
// WAVE data plays when it is RIFF WAVE with a "fmt " and a non-empty "data" chunk (in
// either order) in a format the wave device takes: PCM, 8 or 16 bits, 1 or 2 channels,
// 4,000 to 192,000 Hz (platform::IsPlayableWaveFormat). MIDI data plays when it is a
// Standard MIDI File of format 0 or 1.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace rt {

// What PlaySound hands over: WAVE to a new WAVE player, MIDI to the runtime's own MIDI
// player (stopping its old tune first), anything else is refused. loop != 0 repeats.
// True when playback started.
bool PlaySoundData(std::span<const uint8_t> data, int loop);

bool PlayWave(std::span<const uint8_t> data, int loop);
// Asks every WAVE sound to stop; with `wait`, returns once every feeder thread has ended.
void StopAllWaves(bool wait);
// WAVE sounds whose feeder is still running.
size_t ActiveWaveCount();
// Tests only: how long a feeder waits for a buffer to come back before it gives the
// sound up (8,888 ms unless changed).
void SetWaveStallForTesting(int ms);

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
