// tolvaran-inspect: decodes a picture file the way the stage does and reports what came
// out, for asset authors and reviewers.
//
//   tolvaran-inspect FILE [--key -1|-2|0xBBGGRR] [--out DIR [--checkerboard]]
//
// Prints one JSON line: {"width":W,"height":H,"frameCount":N,"frames":[{"delay":MS,
// "key":"0xBBGGRR" or null},...]}. With --out, writes DIR/frame_000.png and so on as
// RGBA PNGs whose alpha is the frame's opacity (255 - transparency), so any viewer shows
// what the stage will see through. With --checkerboard the PNGs are opaque instead, the
// frame blended over a grey checkerboard, for viewers that ignore alpha.
// Exit codes: 0 decoded, 1 no picture (the JSON then has no frames), 2 bad arguments
// or an output that cannot be written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "stage/pictures/picture.h"

namespace {

struct Options {
  std::string file;
  int64_t key = -1;
  std::string outDir;
  bool checkerboard = false;
};

int Usage(const std::string& problem) {
  std::fprintf(stderr,
               "tolvaran-inspect: %s (usage: tolvaran-inspect FILE [--key -1|-2|0xBBGGRR] "
               "[--out DIR [--checkerboard]])\n",
               problem.c_str());
  return 2;
}

std::optional<int64_t> ParseKey(const std::string& s) {
  if (s == "-1") return -1;
  if (s == "-2") return -2;
  // 0xBBGGRR in hexadecimal, or a plain decimal COLORREF.
  const bool hex = s.size() > 2 && (s.compare(0, 2, "0x") == 0 || s.compare(0, 2, "0X") == 0);
  const char* digits = s.c_str() + (hex ? 2 : 0);
  if (*digits < '0' || *digits > 'f') return std::nullopt;  // no sign, no blanks
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(digits, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return std::nullopt;
  return int64_t(v);
}

// 0: fine; otherwise the exit code after a message.
int ParseArguments(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--key" || a == "--out") {
      if (i + 1 >= argc) return Usage(a + " needs a value");
      const std::string v = argv[++i];
      if (a == "--out") {
        o.outDir = v;
        continue;
      }
      auto key = ParseKey(v);
      if (!key) return Usage("bad --key value '" + v + "'");
      o.key = *key;
    } else if (a == "--checkerboard") {
      o.checkerboard = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option '" + a + "'");
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      return Usage("more than one file given");
    }
  }
  if (o.file.empty()) return Usage("no picture file given");
  if (o.checkerboard && o.outDir.empty()) return Usage("--checkerboard needs --out DIR");
  return 0;
}

std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::string Json(const std::optional<stage::Picture>& p) {
  if (!p) return R"({"width":0,"height":0,"frameCount":0,"frames":[]})";
  char buf[96];
  std::snprintf(buf, sizeof buf, R"({"width":%d,"height":%d,"frameCount":%zu,"frames":[)",
                p->width, p->height, p->frames.size());
  std::string s = buf;
  for (size_t i = 0; i < p->frames.size(); ++i) {
    const auto& f = p->frames[i];
    if (f.key == stage::kDefaultColour)
      std::snprintf(buf, sizeof buf, R"(%s{"delay":%d,"key":null})", i ? "," : "", f.delayMs);
    else
      std::snprintf(buf, sizeof buf, R"(%s{"delay":%d,"key":"0x%06X"})", i ? "," : "",
                    f.delayMs, f.key);
    s += buf;
  }
  s += "]}";
  return s;
}

// The frame with its transparency turned into alpha (255 - transparency).
platform::Surface WithAlpha(const platform::Surface& frame) {
  platform::Surface out(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) out.At(x, y) = frame.At(x, y) ^ 0xFF000000u;
  return out;
}

// The frame over an 8-pixel checkerboard, using 255 - transparency as alpha.
platform::Surface OverCheckerboard(const platform::Surface& frame) {
  platform::Surface out(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      const uint32_t px = frame.At(x, y);
      const unsigned alpha = 255 - (px >> 24);
      const unsigned board = ((x / 8 + y / 8) & 1) ? 0xCC : 0xFF;
      uint32_t result = 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        const unsigned c = (px >> shift) & 0xFF;
        result |= ((c * alpha + board * (255 - alpha) + 127) / 255) << shift;
      }
      out.At(x, y) = result;
    }
  }
  return out;
}

int WriteFrames(const stage::Picture& p, const std::string& dir, bool checkerboard) {
  for (size_t i = 0; i < p.frames.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%03zu.png", i);
    const std::string path = (std::filesystem::path(dir) / name).string();
    const platform::Surface& frame = p.frames[i].pixels;
    const bool written =
        checkerboard ? platform::WritePng(OverCheckerboard(frame), path)
                     : platform::WritePng(WithAlpha(frame), path, platform::PngAlpha::Keep);
    if (!written) return Usage("cannot write " + path);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (int rc = ParseArguments(argc, argv, o)) return rc;
  if (!o.outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.outDir, ec);
    if (!std::filesystem::is_directory(o.outDir, ec))
      return Usage("cannot create output folder '" + o.outDir + "'");
  }
  const auto bytes = ReadFile(o.file);
  if (!bytes) std::fprintf(stderr, "tolvaran-inspect: cannot read '%s'\n", o.file.c_str());
  std::optional<stage::Picture> p;
  if (bytes) p = stage::DecodePicture(*bytes, stage::KeyRequest::FromArgument(o.key));
  std::printf("%s\n", Json(p).c_str());
  std::fflush(stdout);
  if (!p) return 1;
  if (!o.outDir.empty()) return WriteFrames(*p, o.outDir, o.checkerboard);
  return 0;
}
