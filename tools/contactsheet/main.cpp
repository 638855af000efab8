// tolvaran-contactsheet OUT.png DIR...: every picture under the folders, every frame of
// every GIF, laid out on one sheet over a checkerboard (so transparency shows), each with
// its name, size and frame delay. Pictures are decoded by the stage's own decoders; the
// JPEGs of 怪物图片 are keyed by their top-left pixel, as the game shows them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "stage/pictures/picture.h"
#include "tools/assetgen/canvas_files.h"
#include "tools/assetgen/text.h"

namespace fs = std::filesystem;
using assetgen::Canvas;
using assetgen::Rgba;

namespace {

constexpr int kSheetWidth = 1400, kPad = 10, kLabel = 30;

struct Tile {
  std::string label1, label2;
  Canvas image;  // RGBA, alpha 0 where transparent
};

Canvas ToCanvas(const stage::PictureFrame& f) {
  Canvas c(f.pixels.Width(), f.pixels.Height());
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) {
      uint32_t p = f.pixels.At(x, y);
      uint32_t rgb = p & 0xFFFFFF;
      uint32_t colorref = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
      bool keyed = f.key != stage::kDefaultColour && colorref == f.key;
      uint8_t transparency = uint8_t(p >> 24);
      c.Set(x, y, {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(keyed ? 0 : 255 - transparency)});
    }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tolvaran-contactsheet OUT.png DIR...\n");
    return 2;
  }
  std::vector<fs::path> files;
  for (int i = 2; i < argc; ++i) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(fs::u8path(argv[i]), ec); !ec && it != fs::end(it); it.increment(ec))
      if (it->is_regular_file()) files.push_back(it->path());
    if (ec) {
      std::fprintf(stderr, "tolvaran-contactsheet: cannot read %s\n", argv[i]);
      return 2;
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<Tile> tiles;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string name = path.filename().string();  // UTF-8 on this host
    const std::string ext = path.extension().string();
    stage::KeyRequest key;
    if (ext == ".jpg" && path.parent_path().filename().string() == "怪物图片") key.mode = stage::KeyRequest::Automatic;
    auto pic = stage::DecodePicture(bytes, key);
    if (!pic) continue;  // sounds, music and anything else that is not a picture
    for (size_t f = 0; f < pic->frames.size(); ++f) {
      Tile t;
      t.label1 = name + (pic->frames.size() > 1 ? " #" + std::to_string(f) : "");
      t.label2 = std::to_string(pic->width) + "x" + std::to_string(pic->height) +
                 (pic->frames.size() > 1 ? " " + std::to_string(pic->frames[f].delayMs) + "ms" : "");
      t.image = ToCanvas(pic->frames[f]);
      tiles.push_back(std::move(t));
    }
  }
  auto font = assetgen::TextRenderer::Open("WenQuanYi Zen Hei");
  // Shelf layout: left to right, a new row when the next tile does not fit.
  struct Placed {
    int x, y;
  };
  std::vector<Placed> at;
  int x = kPad, y = kPad, rowH = 0;
  for (const Tile& t : tiles) {
    int w = std::max(t.image.Width(), font ? std::max(font->Measure(t.label1, 12), font->Measure(t.label2, 12)) : 60);
    if (x + w > kSheetWidth - kPad && x > kPad) x = kPad, y += rowH + kPad, rowH = 0;
    at.push_back({x, y});
    x += w + kPad;
    rowH = std::max(rowH, t.image.Height() + kLabel);
  }
  const int height = y + rowH + kPad;
  Canvas sheet(kSheetWidth, height, Rgba{0x50, 0x50, 0x58, 255});
  assetgen::Mask text(kSheetWidth, height);
  for (size_t i = 0; i < tiles.size(); ++i) {
    const Tile& t = tiles[i];
    for (int yy = 0; yy < t.image.Height(); ++yy)
      for (int xx = 0; xx < t.image.Width(); ++xx) {
        bool dark = ((xx / 8) + (yy / 8)) % 2;
        Rgba bg = dark ? Rgba{0x9C, 0x9C, 0xA4, 255} : Rgba{0xC8, 0xC8, 0xD0, 255};
        sheet.Set(at[i].x + xx, at[i].y + yy, bg);
        Rgba p = t.image.At(xx, yy);
        sheet.Blend(at[i].x + xx, at[i].y + yy, p, p.a);
      }
    if (font) {
      font->Draw(text, at[i].x, at[i].y + t.image.Height() + 13, t.label1, 12);
      font->Draw(text, at[i].x, at[i].y + t.image.Height() + 27, t.label2, 12);
    }
  }
  assetgen::Flat(sheet, text, Rgba{0xF0, 0xF0, 0xE0, 255});
  if (!assetgen::WriteFile(argv[1], assetgen::EncodePng(sheet, false))) {
    std::fprintf(stderr, "tolvaran-contactsheet: cannot write %s\n", argv[1]);
    return 2;
  }
  std::printf("%zu frames from %zu files\n", tiles.size(), files.size());
  return 0;
}
