// Pictures for the stage tests, made in code: GIFs (several frames, delays, a transparent
// index) and RGBA PNGs through the shared encoders, and direct Picture builders.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "stage/pictures/picture.h"
#include "stage/pictures/sprite.h"

namespace stagetest {

// One GIF frame: palette indexes over the whole logical screen.
struct GifFrame {
  std::vector<uint8_t> indexes;
  int delayCs = 0;  // hundredths of a second
};
// palette: RGB colours (at most 256). transparentIndex < 0: none.
std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<uint32_t>& paletteRgb,
                               const std::vector<GifFrame>& frames, int transparentIndex = -1);
// A width x height GIF whose frame i is filled with palette colour i.
std::vector<uint8_t> SolidFramesGif(int width, int height, int frameCount, int delayCs);

// Pixels as 0xAARRGGBB with real alpha (255 opaque).
std::vector<uint8_t> EncodePngRgba(int width, int height, const std::vector<uint32_t>& argb);

// A one-frame picture filled with `pixel` (0xTTRRGGBB).
stage::Picture SolidPicture(int width, int height, uint32_t pixel, uint32_t key = stage::kDefaultColour);
// Random solid/transparent/keyed pixels, for checking fast paths against reference ones.
stage::Picture RandomPicture(std::mt19937& rng, int width, int height, int frames = 1);

}  // namespace stagetest

namespace stagetest {
// A GIF whose pixels inside `solid` (x0, y0, x1, y1) have RGB `rgb`, the rest transparent.
std::vector<uint8_t> ShapeGif(int width, int height, int x0, int y0, int x1, int y1,
                              uint32_t rgb = 0x3366CC);
}  // namespace stagetest
