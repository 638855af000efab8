// The one set of picture encoders the tools, benchmarks, fuzz seeds and tests write
// files with. GIF, PNG and JPEG go through the libraries that define those formats
// (giflib, libpng, libjpeg), so what they write is what any graphics program writes.
// Files a test must craft by hand (unusual fields, broken streams, formats no library
// here writes) come from tools/encoders/crafted.h instead.
//
// WAVE is written here too (the tools' sounds), by hand: it is a header and the samples.
//
// Every encoder writes into memory and is deterministic. A request the format cannot
// hold (no frames, an index outside the palette, a library failure) throws
// std::runtime_error: these run in tools and tests, where a bad request is a bug.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace encoders {

using Bytes = std::vector<uint8_t>;

// ---- GIF (giflib) --------------------------------------------------------------------

struct GifFrame {
  int left = 0, top = 0;
  int width = 0, height = 0;    // 0: the whole logical screen
  std::vector<uint8_t> indices{};  // width * height palette indices, top-down
  int delayCs = 0;              // hundredths of a second
  int disposal = 0;             // 0 unspecified, 1 keep, 2 to background, 3 to previous
  int transparentIndex = -1;    // -1: none
};

struct GifImage {
  int width = 0, height = 0;
  std::vector<uint32_t> palette{};  // 0xRRGGBB, at most 256, padded to a power of two
  int backgroundIndex = 0;
  bool loop = false;              // the NETSCAPE2.0 block, looping for ever
  std::vector<GifFrame> frames{};
};

// GIF89a with one global colour table and a graphic control block per frame.
Bytes EncodeGif(const GifImage& image);

// ---- PNG (libpng) --------------------------------------------------------------------

struct PngImage {
  int width = 0, height = 0;
  int colourType = 6;             // PNG colour type (0, 2, 3, 4, 6)
  int bitDepth = 8;
  Bytes rows{};                   // samples packed as the type and depth store them
  std::vector<uint32_t> palette{};  // 0xRRGGBB, for colour type 3
  Bytes trns{};                   // the tRNS chunk's bytes, as stored
  int compressionLevel = -1;      // zlib level; -1 leaves libpng's default
};

Bytes EncodePng(const PngImage& image);

// Shorthand for the tests' small samples.
Bytes PngFile(int width, int height, int colourType, int bitDepth, const Bytes& rows,
              const std::vector<uint32_t>& palette = {}, const Bytes& trns = {});
// 8-bit RGBA from 0xAARRGGBB pixels, top-down.
Bytes PngFromArgb(int width, int height, const std::vector<uint32_t>& argb);

// ---- JPEG (libjpeg) ------------------------------------------------------------------

struct JpegImage {
  int width = 0, height = 0;
  int components = 3;       // 3: RGB samples, 1: grey
  Bytes samples{};          // width * height * components, top-down
  int quality = 95;
  bool optimizeCoding = false;
  bool fullChroma = false;  // 4:4:4 instead of the library's 4:2:0: keeps one-pixel colour
};

Bytes EncodeJpeg(const JpegImage& image);

// Shorthand: pixels 0xRRGGBB (grey: the low byte), top-down, baseline 4:2:0.
Bytes JpegFile(int width, int height, const std::vector<uint32_t>& rgb, int quality = 95,
               bool grey = false);

// ---- WAVE ----------------------------------------------------------------------------

// RIFF WAVE, 16-bit PCM, interleaved samples.
Bytes EncodeWave(std::span<const int16_t> interleaved, int channels, int sampleRate);

// The bytes to a file, replacing it; false when it cannot be written whole.
bool WriteFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace encoders
