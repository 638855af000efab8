// Text for generated pictures, rendered with FreeType without anti-aliasing so that the
// letters keep the hard pixel edges of the rest of the art.
#pragma once
#include <memory>
#include <string>

#include "tools/assetgen/canvas.h"

namespace assetgen {

class TextRenderer {
 public:
  // `family` is looked up with fontconfig; nullptr result when no font file is found.
  static std::unique_ptr<TextRenderer> Open(const std::string& family);
  ~TextRenderer();
  // Width in pixels of the UTF-8 text at `pixelSize`.
  int Measure(const std::string& utf8, int pixelSize);
  // Sets the glyph pixels into `m` with the baseline at y = baseline.
  void Draw(Mask& m, int x, int baseline, const std::string& utf8, int pixelSize);

 private:
  TextRenderer() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace assetgen
