// Helpers shared by the drawing tests.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/draw.h"
#include "platform/surface.h"
#include "platform/text.h"

namespace drawtest {

// UTF-8 source literals to the GBK bytes the desktop takes.
inline std::string Gbk(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

inline platform::LogFont Face(std::string_view utf8Name, int height, int weight = 400) {
  platform::LogFont lf;
  lf.height = height;
  lf.weight = weight;
  const std::string name = Gbk(utf8Name);
  std::memcpy(lf.faceName, name.data(), std::min(name.size(), sizeof(lf.faceName) - 1));
  return lf;
}

// The colour of a pixel without its alpha byte, as a COLORREF.
inline platform::COLORREF ColourAt(const platform::Surface& s, int x, int y) {
  return platform::FromPixel(s.At(x, y));
}

// Pixels in a rectangle that differ from `background`.
inline int CountInk(const platform::Surface& s, platform::COLORREF background,
                    platform::Rect r = {0, 0, 1 << 20, 1 << 20}) {
  int n = 0;
  for (int y = std::max(r.top, 0); y < std::min(r.bottom, s.Height()); ++y)
    for (int x = std::max(r.left, 0); x < std::min(r.right, s.Width()); ++x)
      n += ColourAt(s, x, y) != background;
  return n;
}

// Where test output such as sample pictures goes.
inline std::string OutputPath(const std::string& name) {
  const char* dir = std::getenv("TEST_OUTPUT_DIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}
// A scratch file name no concurrently running test process shares.
inline std::string ScratchPath(const std::string& name) {
  return OutputPath(std::to_string(getpid()) + "_" + name);
}

}  // namespace drawtest
