// Pictures for the stage demos, drawn in code: GIF images (animated or not, with a
// transparent index) and a BMP background.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace stagedemo {

// paint(frame, x, y) returns an RGB colour, or -1 for a transparent pixel.
using PaintFn = std::function<int64_t(int frame, int x, int y)>;
// Colours are quantised to a 6x6x6 cube; delays in hundredths of a second.
std::vector<uint8_t> MakeGif(int width, int height, int frames, int delayCs, const PaintFn& paint);
// A 32-bit bottom-up BMP file image; paint(x, y) returns RGB.
std::vector<uint8_t> MakeBmp(int width, int height, const std::function<uint32_t(int, int)>& paint);

}  // namespace stagedemo
