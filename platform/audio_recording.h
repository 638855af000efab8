// A recording of a repeating tune's first two passes, made at build time by the same
// mixer and synthesiser that would play it live, so that the game can play the tune
// without synthesising it. It is one file per tune, named after the tune's song key (the
// ContentKey of its MIDI file), and it plays only where the synthesiser would sound
// exactly like the one that made it: the same FluidSynth, output rate, gain and sound
// font (its synthesiser key).
//
// Layout, little-endian: "TVTUNEv1", the song key and the synthesiser key (8 bytes
// each), the frame count, the frame at which the second pass starts and the block count
// (4 bytes each), every block's size and CRC-32 (4 bytes each), then the blocks: the kept
// pass's lossless codec, KeptPass::kBlockFrames stereo frames each (the last may be
// shorter). A block whose bytes do not match their CRC plays as silence.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/audio_kept_pass.h"

namespace platform::audio {

// The file of the tune `songKey` in `folder`.
std::string RecordingPath(const std::string& folder, uint64_t songKey);

// A finished KeptPass holding both passes, the second starting at `secondPassAt`.
std::vector<uint8_t> EncodeRecording(uint64_t songKey, uint64_t synthKey, size_t secondPassAt,
                                     const KeptPass& passes);

// A recording file, read a block at a time as it plays (never all in memory).
class RecordingFile {
 public:
  // Null when the file is missing, is not a recording, or its sizes do not add up.
  static std::unique_ptr<RecordingFile> Open(const std::string& path);
  ~RecordingFile();
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;

  uint64_t SongKey() const { return song_; }
  uint64_t SynthKey() const { return synth_; }
  size_t Frames() const { return frames_; }
  size_t SecondPassAt() const { return secondPassAt_; }
  // Adds frames [at, at + count) to `out`, interleaved stereo; frames past the end add
  // nothing, and a block that cannot be read or decoded adds silence.
  void AddInto(float* out, size_t at, size_t count);

 private:
  RecordingFile() = default;
  bool Decode(size_t b);
  size_t BlockFrames(size_t b) const {  // the last block may be shorter
    return std::min(KeptPass::kBlockFrames, frames_ - b * KeptPass::kBlockFrames);
  }

  int fd_ = -1;
  uint64_t song_ = 0, synth_ = 0;
  size_t frames_ = 0, secondPassAt_ = 0;
  std::vector<uint64_t> starts_;  // block b is [starts_[b], starts_[b + 1]) in the file
  std::vector<uint32_t> crcs_;
  std::vector<uint8_t> bytes_;
  std::vector<int16_t> decoded_;
  size_t decodedBlock_ = SIZE_MAX;
};

}  // namespace platform::audio
