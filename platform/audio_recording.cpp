#include "platform/audio_recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform::audio {
namespace {

constexpr char kMagic[8] = {'T', 'V', 'T', 'U', 'N', 'E', 'v', '1'};
constexpr size_t kHeaderBytes = 8 + 8 + 8 + 4 + 4 + 4;
// A block of the codec never comes near this; a size above it is damage.
constexpr size_t kMaxBlockBytes = KeptPass::kBlockFrames * 2 * 2 * 2;

void Put(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

uint64_t Get(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(p[i]) << (8 * i);
  return v;
}

bool ReadAt(int fd, uint64_t offset, uint8_t* out, size_t size) {
  while (size > 0) {
    const ssize_t got = pread(fd, out, size, off_t(offset));
    if (got <= 0) return false;
    out += got;
    offset += uint64_t(got);
    size -= size_t(got);
  }
  return true;
}

}  // namespace

std::string RecordingPath(const std::string& folder, uint64_t songKey) {
  char name[32];
  std::snprintf(name, sizeof name, "/%016llx.tune", static_cast<unsigned long long>(songKey));
  return folder + name;
}

std::vector<uint8_t> EncodeRecording(uint64_t songKey, uint64_t synthKey, size_t secondPassAt,
                                     const KeptPass& passes) {
  std::vector<uint8_t> out(kMagic, kMagic + 8);
  Put(out, songKey, 8);
  Put(out, synthKey, 8);
  Put(out, passes.Frames(), 4);
  Put(out, secondPassAt, 4);
  Put(out, passes.Blocks(), 4);
  for (size_t b = 0; b < passes.Blocks(); ++b) {
    const auto block = passes.Block(b);
    Put(out, block.size(), 4);
    Put(out, crc32(0, block.data(), uInt(block.size())), 4);
  }
  for (size_t b = 0; b < passes.Blocks(); ++b) {
    const auto block = passes.Block(b);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

std::unique_ptr<RecordingFile> RecordingFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::unique_ptr<RecordingFile> r(new RecordingFile);
  r->fd_ = fd;
  struct stat st {};
  uint8_t header[kHeaderBytes];
  if (fstat(fd, &st) != 0 || !ReadAt(fd, 0, header, sizeof header) ||
      std::memcmp(header, kMagic, 8) != 0)
    return nullptr;
  r->song_ = Get(header + 8, 8);
  r->synth_ = Get(header + 16, 8);
  r->frames_ = size_t(Get(header + 24, 4));
  r->secondPassAt_ = size_t(Get(header + 28, 4));
  const size_t blocks = size_t(Get(header + 32, 4));
  if (blocks != (r->frames_ + KeptPass::kBlockFrames - 1) / KeptPass::kBlockFrames ||
      r->secondPassAt_ == 0 || r->secondPassAt_ >= r->frames_ ||
      uint64_t(st.st_size) < kHeaderBytes + 9 * uint64_t(blocks))  // an index entry and a byte
    return nullptr;
  std::vector<uint8_t> index(blocks * 8);
  if (!ReadAt(fd, kHeaderBytes, index.data(), index.size())) return nullptr;
  r->starts_.reserve(blocks + 1);
  r->crcs_.reserve(blocks);
  uint64_t at = kHeaderBytes + index.size();
  r->starts_.push_back(at);
  for (size_t b = 0; b < blocks; ++b) {
    const uint64_t size = Get(index.data() + 8 * b, 4);
    if (size == 0 || size > kMaxBlockBytes) return nullptr;
    r->crcs_.push_back(uint32_t(Get(index.data() + 8 * b + 4, 4)));
    at += size;
    r->starts_.push_back(at);
  }
  if (at != uint64_t(st.st_size)) return nullptr;
  return r;
}

RecordingFile::~RecordingFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool RecordingFile::Decode(size_t b) {
  if (decodedBlock_ == b) return true;
  const size_t n = BlockFrames(b);
  decoded_.assign(n * 2, 0);
  decodedBlock_ = b;
  bytes_.resize(size_t(starts_[b + 1] - starts_[b]));
  if (!ReadAt(fd_, starts_[b], bytes_.data(), bytes_.size())) {
    decodedBlock_ = SIZE_MAX;  // a read may succeed later; a damaged block never will
    return false;
  }
  if (crc32(0, bytes_.data(), uInt(bytes_.size())) != crcs_[b]) return false;
  return DecodeKeptBlock(bytes_, decoded_.data(), n);
}

void RecordingFile::AddInto(float* out, size_t at, size_t count) {
  while (count > 0 && at < frames_) {
    const size_t b = at / KeptPass::kBlockFrames;
    const size_t offset = at - b * KeptPass::kBlockFrames;
    const size_t n = std::min(count, BlockFrames(b) - offset);
    if (Decode(b)) {
      const int16_t* src = decoded_.data() + offset * 2;
      for (size_t i = 0; i < n * 2; ++i) out[i] += float(src[i]) * (1.0f / 32768.0f);
    }
    out += n * 2;
    at += n;
    count -= n;
  }
}

}  // namespace platform::audio
