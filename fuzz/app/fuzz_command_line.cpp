// The game's command line: the input is its words, separated by zero bytes. Any words
// either parse or give a one-line message (control characters in the words it quotes are
// escaped); nothing is created. The seeds name a valid
// script the target writes at start, so that "--script" has something real to read.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  mkdir("/tmp/tolvaran-fuzz", 0700);
  const std::string temp = "/tmp/tolvaran-fuzz/play.txt." + std::to_string(getpid());
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) std::abort();
  std::fputs("300 down Return\n350 up Return\n1000 down Right\n2500 up Right\n", f);
  if (std::fclose(f) != 0 || std::rename(temp.c_str(), "/tmp/tolvaran-fuzz/play.txt") != 0)
    std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      words.emplace_back();
    else
      words.back() += char(data[i]);
  }
  if (words.back().empty()) words.pop_back();
  app::CommandLine cl;
  std::string error;
  if (!app::ParseCommandLine(words, cl, error)) {
    if (error.empty()) __builtin_trap();
    for (char c : error)
      if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();  // one printable line
    return 0;
  }
  if (cl.host.scale < 1 || cl.host.scale > 16) __builtin_trap();
  return 0;
}
