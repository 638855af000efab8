// The kept pass's codec, lossless on 16-bit stereo: per block and channel the best of
// four fixed polynomial predictors (orders 0 to 3, as FLAC's), the right channel
// optionally as its difference from the left, and the residuals Rice-coded with a
// parameter per 256 samples. Music at the game's level keeps a little over half its
// bytes, which is what lets a whole pass of the tune fit beside everything else.
#include "platform/audio_kept_pass.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform::audio {
namespace {

constexpr size_t kPartition = 256;
constexpr int kParamBits = 5;   // Rice parameters 0 to 23
constexpr int kMaxParam = 23;
constexpr uint32_t kEscape = 24;  // this many zeros: the value follows raw
constexpr int kRawBits = 24;      // a residual's zigzag is below 2^21
constexpr int kMaxOrder = 3;

uint32_t Zigzag(int32_t v) { return (uint32_t(v) << 1) ^ uint32_t(v >> 31); }
int32_t Unzigzag(uint32_t u) { return int32_t(u >> 1) ^ -int32_t(u & 1); }

int32_t Predict(int order, const int32_t* x, size_t i) {
  auto at = [&](size_t back) { return i >= back ? x[i - back] : 0; };
  switch (order) {
    case 1: return at(1);
    case 2: return 2 * at(1) - at(2);
    case 3: return 3 * at(1) - 3 * at(2) + at(3);
    default: return 0;
  }
}

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Put(uint32_t value, int bits) {  // bits <= 32
    acc_ = (acc_ << bits) | (uint64_t(value) & ((uint64_t(1) << bits) - 1));
    count_ += bits;
    while (count_ >= 8) {
      count_ -= 8;
      out_.push_back(uint8_t(acc_ >> count_));
    }
  }
  void Flush() {
    if (count_ > 0) out_.push_back(uint8_t(acc_ << (8 - count_)));
    count_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  int count_ = 0;
};

// Reads past the end give zeros and mark the reader overrun.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> in) : in_(in) {}
  uint32_t Get(int bits) {
    Fill();
    if (count_ < bits) {
      overrun_ = true;
      acc_ <<= bits - count_;  // the missing bits read as zeros
      count_ = bits;
    }
    count_ -= bits;
    return uint32_t((acc_ >> count_) & ((uint64_t(1) << bits) - 1));
  }
  // Reads zeros up to and including the next one and returns how many; at `limit`
  // zeros it stops there, with no one read.
  uint32_t Zeros(uint32_t limit) {
    uint32_t n = 0;
    while (n < limit) {
      Fill();
      if (count_ == 0) {
        overrun_ = true;
        return limit;
      }
      const uint64_t window = acc_ << (64 - count_);
      if (window == 0) {
        const uint32_t take = std::min(uint32_t(count_), limit - n);
        n += take;
        count_ -= int(take);
        continue;
      }
      const uint32_t lead = uint32_t(__builtin_clzll(window));
      if (n + lead >= limit) {
        count_ -= int(limit - n);
        return limit;
      }
      count_ -= int(lead) + 1;
      return n + lead;
    }
    return limit;
  }
  bool Overrun() const { return overrun_; }
  bool AtEnd() const { return pos_ >= in_.size() && count_ < 8; }

 private:
  void Fill() {
    while (count_ <= 56 && pos_ < in_.size()) {
      acc_ = (acc_ << 8) | in_[pos_++];
      count_ += 8;
    }
  }
  std::span<const uint8_t> in_;
  size_t pos_ = 0;
  uint64_t acc_ = 0;
  int count_ = 0;
  bool overrun_ = false;
};

int BestOrder(const int32_t* x, size_t n, uint64_t* cost) {
  int best = 0;
  uint64_t bestCost = UINT64_MAX;
  for (int order = 0; order <= kMaxOrder; ++order) {
    uint64_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += uint64_t(std::abs(x[i] - Predict(order, x, i)));
    if (sum < bestCost) {
      bestCost = sum;
      best = order;
    }
  }
  *cost = bestCost;
  return best;
}

int BestParam(const uint32_t* u, size_t n) {
  int best = 0;
  uint64_t bestBits = UINT64_MAX;
  for (int k = 0; k <= kMaxParam; ++k) {
    uint64_t bits = uint64_t(n) * uint64_t(k + 1);
    for (size_t i = 0; i < n; ++i) bits += std::min<uint64_t>(u[i] >> k, kEscape + kRawBits);
    if (bits < bestBits) {
      bestBits = bits;
      best = k;
    }
  }
  return best;
}

void EncodeChannel(BitWriter& w, const int32_t* x, size_t n, int order) {
  std::vector<uint32_t> u(n);
  for (size_t i = 0; i < n; ++i) u[i] = Zigzag(x[i] - Predict(order, x, i));
  w.Put(uint32_t(order), 2);
  for (size_t p = 0; p < n; p += kPartition) {
    const size_t m = std::min(kPartition, n - p);
    const int k = BestParam(u.data() + p, m);
    w.Put(uint32_t(k), kParamBits);
    for (size_t i = p; i < p + m; ++i) {
      const uint32_t q = u[i] >> k;
      if (q < kEscape) {
        w.Put(1, int(q) + 1);  // q zeros, then a one
        if (k > 0) w.Put(u[i], k);
      } else {
        w.Put(0, int(kEscape));
        w.Put(u[i], kRawBits);
      }
    }
  }
}

bool DecodeChannel(BitReader& r, int32_t* x, size_t n) {
  const int order = int(r.Get(2));
  for (size_t p = 0; p < n; p += kPartition) {
    const size_t m = std::min(kPartition, n - p);
    const int k = int(r.Get(kParamBits));
    if (k > kMaxParam) return false;
    for (size_t i = p; i < p + m; ++i) {
      const uint32_t q = r.Zeros(kEscape);
      uint32_t u;
      if (q < kEscape) {
        u = (q << k) | (k > 0 ? r.Get(k) : 0);
      } else {
        u = r.Get(kRawBits);
      }
      x[i] = Unzigzag(u) + Predict(order, x, i);
      // Right minus left spans 17 bits; anything wider is damage, and would overflow
      // the predictors of the samples after it.
      if (x[i] < -65536 || x[i] > 65536) return false;
    }
    if (r.Overrun()) return false;
  }
  return true;
}

}  // namespace

std::vector<uint8_t> EncodeKeptBlock(const int16_t* interleaved, size_t frames) {
  std::vector<int32_t> left(frames), right(frames), side(frames);
  for (size_t i = 0; i < frames; ++i) {
    left[i] = interleaved[2 * i];
    right[i] = interleaved[2 * i + 1];
    side[i] = right[i] - left[i];
  }
  uint64_t leftCost, rightCost, sideCost;
  const int leftOrder = BestOrder(left.data(), frames, &leftCost);
  const int rightOrder = BestOrder(right.data(), frames, &rightCost);
  const int sideOrder = BestOrder(side.data(), frames, &sideCost);
  const bool useSide = sideCost < rightCost;
  std::vector<uint8_t> out;
  out.reserve(frames * 2);
  BitWriter w(out);
  w.Put(useSide ? 1 : 0, 1);
  EncodeChannel(w, left.data(), frames, leftOrder);
  if (useSide) EncodeChannel(w, side.data(), frames, sideOrder);
  else EncodeChannel(w, right.data(), frames, rightOrder);
  w.Flush();
  out.shrink_to_fit();
  return out;
}

bool DecodeKeptBlock(std::span<const uint8_t> bytes, int16_t* out, size_t frames) {
  std::vector<int32_t> left(frames), second(frames);
  BitReader r(bytes);
  const bool side = r.Get(1) != 0;
  bool ok = DecodeChannel(r, left.data(), frames) && DecodeChannel(r, second.data(), frames) &&
            r.AtEnd();
  for (size_t i = 0; ok && i < frames; ++i) {
    const int32_t right = side ? second[i] + left[i] : second[i];
    ok = left[i] >= INT16_MIN && left[i] <= INT16_MAX && right >= INT16_MIN && right <= INT16_MAX;
    out[2 * i] = int16_t(left[i]);
    out[2 * i + 1] = int16_t(right);
  }
  if (!ok) std::fill(out, out + 2 * frames, int16_t(0));
  return ok;
}

KeptPass::KeptPass(size_t maxBytes) : maxBytes_(maxBytes) {}

KeptPass::~KeptPass() { Clear(); }

bool KeptPass::Append(const float* frames, size_t count) {
  if (dropped_ || finished_) return false;
  for (size_t i = 0; i < count * 2; ++i) {
    float v = frames[i] * 32768.0f;
    if (!(v == v)) v = 0;  // NaN
    v = std::clamp(v, -32768.0f, 32767.0f);
    open_.push_back(int16_t(std::lrint(v)));
    if (open_.size() == kBlockFrames * 2) {
      Seal();
      if (dropped_) return false;
    }
  }
  frames_ += count;
  return true;
}

void KeptPass::Finish() {
  if (!dropped_ && !open_.empty()) Seal();
  std::vector<int16_t>().swap(open_);
  finished_ = true;
}

void KeptPass::Seal() {
  const std::vector<uint8_t> block = EncodeKeptBlock(open_.data(), open_.size() / 2);
  open_.clear();
  if (!store_ && maxBytes_ > 0) {
    void* pages = mmap(nullptr, maxBytes_, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (pages != MAP_FAILED) store_ = static_cast<uint8_t*>(pages);
  }
  if (!store_ || block.size() > maxBytes_ - bytes_) {
    Clear();
    dropped_ = true;
    return;
  }
  std::memcpy(store_ + bytes_, block.data(), block.size());
  bytes_ += block.size();
  ends_.push_back(bytes_);
}

bool KeptPass::Decode(size_t b) {
  if (decodedBlock_ == b) return true;
  const size_t first = b * kBlockFrames;
  const size_t n = std::min(kBlockFrames, frames_ - first);
  decoded_.resize(n * 2);
  decodedBlock_ = b;
  if (b < ends_.size()) {
    const size_t begin = b == 0 ? 0 : ends_[b - 1];
    return DecodeKeptBlock({store_ + begin, ends_[b] - begin}, decoded_.data(), n);
  }
  // Not sealed yet: the frames still being gathered.
  std::copy(open_.begin(), open_.begin() + std::ptrdiff_t(n * 2), decoded_.begin());
  decodedBlock_ = SIZE_MAX;  // it may still grow
  return true;
}

void KeptPass::AddInto(float* out, size_t at, size_t count) {
  while (count > 0 && at < frames_) {
    const size_t b = at / kBlockFrames;
    Decode(b);
    const size_t offset = at - b * kBlockFrames;
    const size_t n = std::min(count, decoded_.size() / 2 - offset);
    const int16_t* src = decoded_.data() + offset * 2;
    for (size_t i = 0; i < n * 2; ++i) out[i] += float(src[i]) * (1.0f / 32768.0f);
    out += n * 2;
    at += n;
    count -= n;
  }
}

void KeptPass::Clear() {
  if (store_) munmap(store_, maxBytes_);
  store_ = nullptr;
  std::vector<size_t>().swap(ends_);
  std::vector<int16_t>().swap(open_);
  std::vector<int16_t>().swap(decoded_);
  decodedBlock_ = SIZE_MAX;
  frames_ = bytes_ = 0;
  dropped_ = finished_ = false;
}

}  // namespace platform::audio
