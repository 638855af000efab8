// Pieces shared by the drawing files: pixel mixing and the ink of brushes and pens.
#pragma once
#include <array>
#include <cstdint>

#include "platform/draw.h"
#include "platform/surface.h"

namespace platform::draw_detail {

// An 8x8 one-bit pattern anchored at the surface's (0, 0): a set bit draws `on`, a clear
// bit draws `off` unless `offTransparent`. A solid colour is the all-ones pattern.
struct Ink {
  std::array<uint8_t, 8> bits{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  uint32_t on = 0xFF000000u;
  uint32_t off = 0xFF000000u;
  bool offTransparent = true;
  bool solid = true;  // every bit set: the pattern need not be consulted
};

Ink SolidInk(COLORREF c);
// What a brush paints on this DC (text and background colours, background mode).
// Returns false for the null brush.
bool BrushInk(const Brush& b, COLORREF textColour, COLORREF bkColour, int bkMode, Ink& out);
// The classic hatch bitmaps, row 0 first, bit 7 = leftmost pixel.
const std::array<uint8_t, 8>& HatchBits(int hatch);

// Mixes ink into [x0, x1) of row y; the caller has clipped the span.
void PaintSpan(Surface& s, int y, int x0, int x1, const Ink& ink, int rop2);
// Same for a rectangle that the caller has clipped.
void PaintRect(Surface& s, const Rect& r, const Ink& ink, int rop2);

}  // namespace platform::draw_detail
