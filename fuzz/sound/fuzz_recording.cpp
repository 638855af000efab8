// Tune recordings, which the game reads from beside the program: any bytes, read as a
// recording file, are refused or play to their end (blocks that do not check out as
// silence) without reading outside the file; read as one block of their codec, they
// decode to exactly a block's frames or to silence.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/audio_kept_pass.h"
#include "platform/audio_recording.h"

using platform::audio::KeptPass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int16_t block[KeptPass::kBlockFrames * 2];
  platform::audio::DecodeKeptBlock({data, size}, block, KeptPass::kBlockFrames);

  const int fd = memfd_create("recording", MFD_CLOEXEC);
  if (fd < 0) return 0;
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += size_t(n);
  }
  auto file = platform::audio::RecordingFile::Open("/proc/self/fd/" + std::to_string(fd));
  close(fd);
  if (!file) return 0;
  static float out[KeptPass::kBlockFrames * 2];
  for (size_t at = 0; at < file->Frames(); at += KeptPass::kBlockFrames) {
    const size_t n = std::min(KeptPass::kBlockFrames, file->Frames() - at);
    std::fill(out, out + 2 * n, 0.0f);
    file->AddInto(out, at, n);
  }
  return 0;
}
