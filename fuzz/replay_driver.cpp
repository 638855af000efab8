// Replays inputs through LLVMFuzzerTestOneInput: each argument is a file or a folder
// whose files are all replayed. Used where libFuzzer is not available (g++ builds) to
// rerun a corpus or a crash file under the sanitizers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Optional, as with libFuzzer: a target's one-time set-up.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

static bool Replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  int replayed = 0, failed = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    if (std::filesystem::is_directory(argv[i], ec)) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(argv[i], ec))
        if (e.is_regular_file()) (Replay(e.path()) ? replayed : failed)++;
    } else {
      (Replay(argv[i]) ? replayed : failed)++;
    }
  }
  std::printf("replayed %d input(s)\n", replayed);
  // An empty or missing corpus would otherwise pass without having tested anything.
  if (replayed == 0) std::fprintf(stderr, "no input to replay\n");
  return failed || replayed == 0 ? 1 : 0;
}
