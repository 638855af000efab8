#include "tools/assetgen/canvas_files.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace assetgen {

namespace {

// The transparent entry's colour. No art colour may equal it, because the stage's
// decoder skips every pixel of the key colour, not only the transparent index.
constexpr uint32_t kTransparentRgb = 0xFF00FF;

uint32_t Rgb(Rgba c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }

// Exact palette when the art stays within 255 colours (it should); otherwise the most
// used colours win and the rest map to their nearest.
std::vector<uint32_t> BuildPalette(const std::vector<GifFrame>& frames) {
  std::map<uint32_t, long> count;
  for (const auto& f : frames)
    for (const Rgba& p : f.image.Pixels())
      if (p.a >= 128) ++count[Rgb(p)];
  std::vector<std::pair<long, uint32_t>> byUse;
  for (auto [c, n] : count) {
    if (c == kTransparentRgb) throw std::runtime_error("art uses the GIF transparent colour");
    byUse.push_back({-n, c});
  }
  std::sort(byUse.begin(), byUse.end());
  std::vector<uint32_t> pal;
  for (size_t i = 0; i < byUse.size() && i < 255; ++i) pal.push_back(byUse[i].second);
  std::sort(pal.begin(), pal.end());
  return pal;
}

// The palette index of each colour: its own entry, or the nearest one.
class Quantiser {
 public:
  explicit Quantiser(const std::vector<uint32_t>& pal) : pal_(pal) {
    for (size_t i = 0; i < pal.size(); ++i) lookup_[pal[i]] = uint8_t(i);
  }
  uint8_t Index(uint32_t c) {
    auto it = lookup_.find(c);
    if (it != lookup_.end()) return it->second;
    int best = 0;
    long bestD = 1L << 40;
    for (size_t i = 0; i < pal_.size(); ++i) {
      const long dr = long(c >> 16) - long(pal_[i] >> 16);
      const long dg = long((c >> 8) & 255) - long((pal_[i] >> 8) & 255);
      const long db = long(c & 255) - long(pal_[i] & 255);
      const long d = dr * dr + dg * dg + db * db;
      if (d < bestD) bestD = d, best = int(i);
    }
    return lookup_[c] = uint8_t(best);
  }

 private:
  const std::vector<uint32_t>& pal_;
  std::map<uint32_t, uint8_t> lookup_;
};

// The canvas's samples, row after row, RGB or RGBA.
std::vector<uint8_t> Samples(const Canvas& c, bool alpha) {
  std::vector<uint8_t> out;
  out.reserve(c.Pixels().size() * (alpha ? 4 : 3));
  for (const Rgba& p : c.Pixels()) {
    out.insert(out.end(), {p.r, p.g, p.b});
    if (alpha) out.push_back(p.a);
  }
  return out;
}

}  // namespace

Bytes EncodeGif(const std::vector<GifFrame>& frames) {
  if (frames.empty()) throw std::runtime_error("GIF without frames");
  encoders::GifImage gif;
  gif.width = frames[0].image.Width();
  gif.height = frames[0].image.Height();
  const std::vector<uint32_t> art = BuildPalette(frames);
  Quantiser quantiser(art);
  const int transparent = int(art.size());
  gif.palette = art;
  gif.palette.push_back(kTransparentRgb);
  gif.backgroundIndex = transparent;
  gif.loop = frames.size() > 1;
  for (const auto& f : frames) {
    if (f.image.Width() != gif.width || f.image.Height() != gif.height)
      throw std::runtime_error("GIF frame size differs");
    encoders::GifFrame frame;
    frame.delayCs = std::max(1, (f.delayMs + 5) / 10);
    frame.disposal = 2;
    frame.transparentIndex = transparent;
    frame.indices.reserve(f.image.Pixels().size());
    for (const Rgba& p : f.image.Pixels())
      frame.indices.push_back(p.a >= 128 ? quantiser.Index(Rgb(p)) : uint8_t(transparent));
    gif.frames.push_back(std::move(frame));
  }
  return encoders::EncodeGif(gif);
}

Bytes EncodePng(const Canvas& c, bool alpha) {
  encoders::PngImage png;
  png.width = c.Width();
  png.height = c.Height();
  png.colourType = alpha ? 6 : 2;  // RGBA or RGB
  png.rows = Samples(c, alpha);
  png.compressionLevel = 9;
  return encoders::EncodePng(png);
}

Bytes EncodeJpeg(const Canvas& c, int quality) {
  encoders::JpegImage jpeg;
  jpeg.width = c.Width();
  jpeg.height = c.Height();
  jpeg.samples = Samples(c, false);
  jpeg.quality = quality;
  jpeg.optimizeCoding = true;
  jpeg.fullChroma = true;
  return encoders::EncodeJpeg(jpeg);
}

}  // namespace assetgen
