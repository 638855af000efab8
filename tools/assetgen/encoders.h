// File encoders for generated assets. Each writes into memory; the caller saves the
// bytes. All output is deterministic: no time stamps, no random padding.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

namespace assetgen {

using Bytes = std::vector<uint8_t>;

struct GifFrame {
  Canvas image;     // alpha < 128 is transparent, anything else opaque
  int delayMs = 100;
};
// GIF89a, one shared palette (<= 255 colours plus the transparent entry), every frame a
// full-size image disposed back to transparent, so frames never show through each
// other. Animations (more than one frame) carry the looping NETSCAPE extension.
Bytes EncodeGif(const std::vector<GifFrame>& frames);

// 8-bit RGBA (or RGB when `alpha` is false) PNG through libpng.
Bytes EncodePng(const Canvas& c, bool alpha = true);

// Baseline JPEG through libjpeg, 4:4:4 so that one-pixel details keep their colour.
Bytes EncodeJpeg(const Canvas& c, int quality);

// RIFF WAVE, 16-bit PCM, interleaved samples.
Bytes EncodeWave(const std::vector<int16_t>& interleaved, int channels, int sampleRate);

bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace assetgen
