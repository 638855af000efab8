// The generator's canvases as files, through the shared encoders (tools/encoders). All
// output is deterministic: no time stamps, no random padding.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"
#include "tools/encoders/encoders.h"

namespace assetgen {

using encoders::Bytes;
using encoders::EncodeWave;
using encoders::WriteFile;

struct GifFrame {
  Canvas image;     // alpha < 128 is transparent, anything else opaque
  int delayMs = 100;
};
// One shared palette (<= 255 colours plus the transparent entry), every frame a
// full-size image disposed back to transparent, so frames never show through each
// other. Animations (more than one frame) loop.
Bytes EncodeGif(const std::vector<GifFrame>& frames);

// 8-bit RGBA (or RGB when `alpha` is false) PNG, compressed hard.
Bytes EncodePng(const Canvas& c, bool alpha = true);

// Baseline JPEG, 4:4:4 so that one-pixel details keep their colour.
Bytes EncodeJpeg(const Canvas& c, int quality);

}  // namespace assetgen
