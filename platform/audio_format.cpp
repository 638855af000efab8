// What the sound devices accept, and where the General MIDI sound font lives.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

#include "platform/audio.h"
#include "platform/byte_reader.h"

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

// Reads `n` bytes at `offset`; false when the file ends first.
bool ReadAt(FILE* f, long offset, void* out, size_t n) {
  return std::fseek(f, offset, SEEK_SET) == 0 && std::fread(out, 1, n, f) == n;
}

// The record size of each chunk of a sound font's "pdta" list.
constexpr struct {
  char id[5];
  uint32_t record;
} kPresetChunks[] = {{"phdr", 38}, {"pbag", 4}, {"pmod", 10}, {"pgen", 4}, {"inst", 22},
                     {"ibag", 4},  {"imod", 10}, {"igen", 4},  {"shdr", 46}};

// Walks the chunks inside [begin, end): every one must fit. "pdta" chunks must also come
// in whole records. Returns the bit set of the kPresetChunks found.
std::optional<uint32_t> WalkChunks(FILE* f, long begin, long end, bool presets) {
  uint32_t found = 0;
  for (long at = begin; at < end;) {
    unsigned char head[8];
    if (end - at < 8 || !ReadAt(f, at, head, 8)) return std::nullopt;
    ByteReader r(head);
    const auto id = r.Bytes(4);
    const uint32_t size = r.U32Le();
    if (size > uint32_t(end - at - 8)) return std::nullopt;
    for (size_t i = 0; presets && i < std::size(kPresetChunks); ++i) {
      if (std::memcmp(id.data(), kPresetChunks[i].id, 4) != 0) continue;
      if (size % kPresetChunks[i].record != 0 || size < kPresetChunks[i].record) return std::nullopt;
      found |= 1u << i;
    }
    at += 8 + long(size) + long(size & 1);
  }
  return found;
}

// A sound font is "RIFF" <size> "sfbk" holding the lists "INFO", "sdta" and "pdta", whose
// preset chunks come in whole records (at least the closing one). The synthesiser's own loader takes a damaged file
// badly (it complains on stderr in several lines, or worse), so only a file whose layout
// holds together is handed to it.
bool LooksLikeSoundFont(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = false;
  unsigned char head[12] = {};
  ByteReader r(head);
  if (ReadAt(f, 0, head, sizeof head) && r.Tag("RIFF")) {
    const long riffEnd = 8 + long(r.U32Le());
    const bool sized = r.Tag("sfbk") && std::fseek(f, 0, SEEK_END) == 0;
    const long fileSize = sized ? std::ftell(f) : -1;
    int lists = 0;
    for (long at = 12; sized && riffEnd <= fileSize && at + 12 <= riffEnd;) {
      unsigned char list[12];
      if (!ReadAt(f, at, list, sizeof list)) break;
      ByteReader l(list);
      if (!l.Tag("LIST")) break;
      const long end = at + 8 + long(l.U32Le());
      if (end > riffEnd || end < at + 12) break;
      const bool presets = l.Tag("pdta");
      const auto found = WalkChunks(f, at + 12, end, presets);
      if (!found || (presets && *found != (1u << std::size(kPresetChunks)) - 1)) break;
      if (presets || l.Tag("INFO") || l.Tag("sdta")) ++lists;
      at = end + (end & 1);
      if (at >= riffEnd) ok = lists == 3;
    }
  }
  std::fclose(f);
  return ok;
}

}  // namespace

std::string FindSoundFont() {
  // A packager's or a test's choice comes first, and is the only one looked at: a bad
  // choice means silence, not some other font.
  if (const char* chosen = std::getenv("TOLVARAN_SOUNDFONT"))
    return LooksLikeSoundFont(chosen) ? std::string(chosen) : std::string();
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

uint64_t ContentKey(std::span<const uint8_t> bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h == 0 ? 1 : h;
}

void NoteSilentMusic(const std::string& why) {
  static std::atomic<bool> said{false};
  if (said.exchange(true)) return;
  std::fprintf(stderr, "tolvaran: %s; the music stays silent\n", why.c_str());
}

}  // namespace platform
