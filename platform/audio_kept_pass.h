// One pass of a repeating tune, kept to be played again instead of synthesised anew:
// stereo at 16 bits a sample, the resolution a sound card is given, compressed without
// loss in blocks that are decoded one at a time as they play.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform::audio {

class KeptPass {
 public:
  static constexpr size_t kBlockFrames = 4096;  // about 93 ms

  // A pass whose compressed bytes would pass `maxBytes` is given up (Dropped).
  explicit KeptPass(size_t maxBytes);
  ~KeptPass();
  KeptPass(const KeptPass&) = delete;
  KeptPass& operator=(const KeptPass&) = delete;

  // Appends interleaved stereo frames, each sample rounded to the nearest 16-bit step
  // (1/32768, clamped to full scale). False once the pass has been dropped.
  bool Append(const float* frames, size_t count);
  // Compresses the last, partial block; nothing may be appended after it.
  void Finish();
  // Adds the kept frames [at, at + count) to `out` (interleaved stereo); frames past
  // the end add nothing. Playing in order decodes each block once.
  void AddInto(float* out, size_t at, size_t count);
  // Forgets everything, including a drop.
  void Clear();

  size_t Frames() const { return frames_; }
  size_t Bytes() const { return bytes_; }
  // The compressed blocks, once finished: block b holds frames from b * kBlockFrames.
  size_t Blocks() const { return ends_.size(); }
  std::span<const uint8_t> Block(size_t b) const {
    const size_t begin = b == 0 ? 0 : ends_[b - 1];
    return {store_ + begin, ends_[b] - begin};
  }
  bool Dropped() const { return dropped_; }
  bool Finished() const { return finished_; }

 private:
  void Seal();            // compresses `open_` into a new block
  bool Decode(size_t b);  // into `decoded_`; false for a damaged block

  size_t maxBytes_;
  // The compressed blocks, one after the other, in pages of their own (mapped on the
  // first block, `maxBytes_` of address space): freed, they go straight back to the
  // system instead of staying in the allocator's heap as scattered holes.
  uint8_t* store_ = nullptr;
  std::vector<size_t> ends_;      // where each block ends in `store_`
  std::vector<int16_t> open_;     // the block being filled, interleaved
  std::vector<int16_t> decoded_;  // block `decodedBlock_`, interleaved
  size_t decodedBlock_ = SIZE_MAX;
  size_t frames_ = 0;
  size_t bytes_ = 0;
  bool dropped_ = false;
  bool finished_ = false;
};

// The codec of one block, apart so that tests can feed it damaged bytes.
std::vector<uint8_t> EncodeKeptBlock(const int16_t* interleaved, size_t frames);
// Fills `frames` frames of `out`; false (and `out` silent) if the bytes do not decode
// to exactly that many.
bool DecodeKeptBlock(std::span<const uint8_t> bytes, int16_t* out, size_t frames);

}  // namespace platform::audio
