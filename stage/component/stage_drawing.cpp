// CartoonBox: the drawing surface under all objects (background colour and picture,
// plus whatever ClearArea and DrawRectangle leave on it) and the area capture.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/window.h"
#include "runtime/pictures/picture_loader.h"
#include "stage/component/cartoon_box.h"

namespace stage {

namespace {

// Brush styles 8..55 are 8x8 one-bit patterns. The set is our own: dot screens of
// rising density, stripes in both directions and widths, checkers, bricks, weaves and
// grids, in that order, six of each family.
std::array<uint8_t, 8> PatternBits(int index) {
  std::array<uint8_t, 8> rows{};
  const int family = index / 6, step = index % 6;
  for (int y = 0; y < 8; ++y) {
    uint8_t row = 0;
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (family) {
        case 0: on = ((x + 2 * y) % (8 - step)) == 0; break;                 // dots
        case 1: on = (y % (2 + step / 2)) < 1 + step % 2; break;               // horizontal
        case 2: on = (x % (2 + step / 2)) < 1 + step % 2; break;               // vertical
        case 3: on = (((x >> (step % 3)) + (y >> (step % 3))) & 1) != (step >= 3); break;
        case 4: on = y % 4 == 0 || (x + (y / 4) * 4 + step) % 8 == 0; break;  // bricks
        case 5: on = ((x + y + step) % 4 < 2) != ((x - y + 8) % 4 < 2); break;  // weave
        case 6: on = x % (2 + step) == 0 || y % (2 + step) == 0; break;      // grid
        default: on = ((x * 3 + y * 5 + step) % 7) < 3; break;               // noise
      }
      if (on) row |= uint8_t(0x80 >> x);
    }
    rows[size_t(y)] = row;
  }
  return rows;
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = uint8_t(v);
  out[at + 1] = uint8_t(v >> 8);
}

}  // namespace

platform::Surface CartoonBox::BuildBackground(int width, int height) {
  const uint32_t colour =
      s_.backColor == kDefaultColour ? platform::GetSysColor(platform::COLOR_BTNFACE) : s_.backColor;
  platform::Surface bg(std::max(width, 0), std::max(height, 0), platform::ToPixel(colour));
  if (s_.pic != decodedPicBytes_ || (!decodedPic_ && !s_.pic.empty())) {
    decodedPicBytes_ = s_.pic;
    decodedPic_.reset();
    if (!s_.pic.empty()) decodedPic_ = rt::LoadPicture(s_.pic);
  }
  if (!decodedPic_ || decodedPic_->Empty() || bg.Empty()) return bg;
  const platform::Surface& pic = *decodedPic_;
  platform::DC dc(&bg);
  const int pw = pic.Width(), ph = pic.Height();
  switch (s_.picDrawMode) {
    case 1:
      // Half-tone stretching on a display deeper than 16 bits.
      dc.StretchBlt(0, 0, width, height, pic, 0, 0, pw, ph,
                    platform::kBitsPerPixel > 16 ? platform::STRETCH_SMOOTH
                                                 : platform::STRETCH_NEAREST);
      break;
    case 2:
      dc.BitBlt((width - pw) / 2, (height - ph) / 2, pw, ph, pic, 0, 0);
      break;
    case 3:
      for (int y = 0; y < height; y += ph)
        for (int x = 0; x < width; x += pw) dc.BitBlt(x, y, pw, ph, pic, 0, 0);
      break;
    default:
      dc.BitBlt(0, 0, pw, ph, pic, 0, 0);
      break;
  }
  return bg;
}

void CartoonBox::BuildSurface() {
  const int w = ClientWidth(), h = ClientHeight();
  if (w != surface_.Width() || h != surface_.Height()) textCursor_ = {0, 0};
  surface_ = BuildBackground(w, h);
  surfaceDc_ = std::make_unique<platform::DC>(&surface_);
  surfaceDc_->SelectFont(font_);
}

platform::Pen CartoonBox::MakePen() const {
  // Property order: none, solid, dash, dot, dash-dot, dash-dot-dot, inside frame.
  static constexpr int kStyles[7] = {platform::PS_NULL,       platform::PS_SOLID,
                                     platform::PS_DASH,       platform::PS_DOT,
                                     platform::PS_DASHDOT,    platform::PS_DASHDOTDOT,
                                     platform::PS_INSIDEFRAME};
  platform::Pen pen;
  pen.style = kStyles[std::clamp(s_.penStyle, 0, 6)];
  pen.width = s_.penStyle == 0 ? 0 : s_.penWidth;
  pen.colour = s_.penColor;
  return pen;
}

platform::Brush CartoonBox::MakeBrush() const {
  // Styles 2..7: backward diagonal, cross, diagonal cross, forward diagonal,
  // horizontal, vertical.
  static constexpr int kHatches[6] = {platform::HS_BDIAGONAL, platform::HS_CROSS,
                                      platform::HS_DIAGCROSS, platform::HS_FDIAGONAL,
                                      platform::HS_HORIZONTAL, platform::HS_VERTICAL};
  platform::Brush b;
  b.colour = s_.brushColor;
  if (s_.brushStyle <= 0) {
    b.kind = platform::Brush::Null;
  } else if (s_.brushStyle == 1) {
    b.kind = platform::Brush::Solid;
  } else if (s_.brushStyle <= 7) {
    b.kind = platform::Brush::Hatch;
    b.hatch = kHatches[s_.brushStyle - 2];
  } else {
    b.kind = platform::Brush::Pattern;
    b.pattern = PatternBits(std::min(s_.brushStyle, 55) - 8);
  }
  return b;
}

void CartoonBox::ClearArea(std::optional<int> left, std::optional<int> top,
                           std::optional<int> width, std::optional<int> height) {
  const int cw = ClientWidth(), ch = ClientHeight();
  if (surface_.Width() != cw || surface_.Height() != ch) BuildSurface();
  platform::Rect r{0, 0, cw, ch};
  if (left) r.left = *left;
  if (top) r.top = *top;
  if (width) r.right = r.left + *width;
  if (height) r.bottom = r.top + *height;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  const platform::Surface fresh = BuildBackground(cw, ch);
  const platform::Rect c = platform::Intersect(r, surface_.Bounds());
  for (int y = c.top; y < c.bottom; ++y)
    std::copy_n(fresh.Row(y) + c.left, c.Width(), surface_.Row(y) + c.left);
  if (surfaceDc_) surfaceDc_->MoveTo(r.left, r.top);
  textCursor_ = {r.left, r.top};
  InvalidateRect(c);
}

void CartoonBox::DrawRectangle(int left, int top, int right, int bottom) {
  if (surface_.Width() != ClientWidth() || surface_.Height() != ClientHeight()) BuildSurface();
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  platform::DC& dc = *surfaceDc_;
  const platform::Pen pen = MakePen();
  const platform::Brush brush = MakeBrush();
  dc.SelectPen(pen);
  dc.SelectBrush(brush);
  dc.SetRop2(s_.drawRop2 + 1);
  const bool transparent = s_.textBackColor == kDefaultColour;
  dc.SetBkMode(transparent ? platform::TRANSPARENT : platform::OPAQUE);
  // Pattern brushes draw their clear bits in the text colour and their set bits in the
  // background colour.
  const platform::COLORREF oldText = dc.GetTextColor();
  const platform::COLORREF oldBk = dc.GetBkColor();
  if (brush.kind == platform::Brush::Pattern) dc.SetTextColor(s_.brushColor);
  dc.SetBkColor(transparent ? 0xFFFFFF : s_.textBackColor);
  dc.Rectangle(left, top, right, bottom);
  dc.SelectPen(platform::Pen{});
  dc.SelectBrush(platform::Brush{});
  dc.SetRop2(platform::R2_COPYPEN);
  dc.SetTextColor(oldText);
  dc.SetBkColor(oldBk);
  platform::Rect r{left, top, right, bottom};
  if (s_.penStyle != 0) {
    const int g = std::max(s_.penWidth, 1);
    r = {left - g, top - g, right + g, bottom + g};
  }
  InvalidateRect(platform::Intersect(r, {0, 0, ClientWidth(), ClientHeight()}));
}

std::vector<uint8_t> CartoonBox::CaptureArea(int x, int y, int width, int height,
                                             uint32_t background) {
  const int64_t right = int64_t(x) + width, bottom = int64_t(y) + height;
  platform::Rect r{x, y, int(std::clamp<int64_t>(right, INT32_MIN, INT32_MAX)),
                   int(std::clamp<int64_t>(bottom, INT32_MIN, INT32_MAX))};
  r = platform::Intersect(r, {0, 0, ClientWidth(), ClientHeight()});
  if (r.Empty()) return {};
  platform::Surface area;
  Compose(r, area, background == kDefaultColour ? std::nullopt
                                                : std::optional<uint32_t>(background));
  const uint32_t w = uint32_t(r.Width()), h = uint32_t(r.Height());
  const uint32_t imageSize = w * h * 4;
  std::vector<uint8_t> bmp(54 + size_t(imageSize), 0);
  // BITMAPFILEHEADER: "BM", file size, two reserved words, pixel data offset.
  bmp[0] = 'B';
  bmp[1] = 'M';
  Put32(bmp, 2, 54 + imageSize);
  Put16(bmp, 6, 0);
  Put16(bmp, 8, 0);
  Put32(bmp, 10, 54);
  // BITMAPINFOHEADER: size, width, height (positive: bottom row first), planes, bits,
  // compression (none), image size; resolutions and colour counts stay 0.
  Put32(bmp, 14, 40);
  Put32(bmp, 18, w);
  Put32(bmp, 22, h);
  Put16(bmp, 26, 1);
  Put16(bmp, 28, 32);
  Put32(bmp, 30, 0);
  Put32(bmp, 34, imageSize);
  size_t at = 54;
  for (int row = int(h) - 1; row >= 0; --row) {
    const uint32_t* px = area.Row(row);
    for (uint32_t col = 0; col < w; ++col) {
      bmp[at++] = uint8_t(px[col]);
      bmp[at++] = uint8_t(px[col] >> 8);
      bmp[at++] = uint8_t(px[col] >> 16);
      bmp[at++] = 0;
    }
  }
  return bmp;
}

}  // namespace stage
