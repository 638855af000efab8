// The drawing context: state, mix modes, brushes, rectangles, lines and pixels.
#include "platform/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/draw_internal.h"

namespace platform {

using draw_detail::Ink;

// ---- mix modes -------------------------------------------------------------------------

uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest) {
  const uint32_t p = pen & 0xFFFFFFu, d = dest & 0xFFFFFFu;
  uint32_t r;
  switch (rop2) {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(p | d); break;
    case R2_MASKNOTPEN: r = ~p & d; break;
    case R2_NOTCOPYPEN: r = ~p; break;
    case R2_MASKPENNOT: r = p & ~d; break;
    case R2_NOT: r = ~d; break;
    case R2_XORPEN: r = p ^ d; break;
    case R2_NOTMASKPEN: r = ~(p & d); break;
    case R2_MASKPEN: r = p & d; break;
    case R2_NOTXORPEN: r = ~(p ^ d); break;
    case R2_NOP: r = d; break;
    case R2_MERGENOTPEN: r = ~p | d; break;
    case R2_MERGEPEN: r = p | d; break;
    case R2_MERGEPENNOT: r = p | ~d; break;
    case R2_WHITE: r = 0xFFFFFFu; break;
    default: r = p; break;  // R2_COPYPEN, and out-of-range codes draw plainly
  }
  return (dest & 0xFF000000u) | (r & 0xFFFFFFu);
}

COLORREF GetSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE: return 0xF0F0F0;
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_WINDOWTEXT: return 0x000000;
    default: return 0xF0F0F0;
  }
}

// ---- ink -------------------------------------------------------------------------------

namespace draw_detail {

const std::array<uint8_t, 8>& HatchBits(int hatch) {
  static const std::array<uint8_t, 8> kHatches[6] = {
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // HS_HORIZONTAL
      {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL  "\\\\"
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL  "////"
      {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF},  // HS_CROSS
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
  };
  return kHatches[(hatch >= 0 && hatch < 6) ? hatch : 0];
}

Ink SolidInk(COLORREF c) {
  Ink ink;
  ink.on = ToPixel(c);
  return ink;
}

bool BrushInk(const Brush& b, COLORREF textColour, COLORREF bkColour, int bkMode, Ink& out) {
  switch (b.kind) {
    case Brush::Null: return false;
    case Brush::Solid: out = SolidInk(b.colour); return true;
    case Brush::Hatch:
      out.bits = HatchBits(b.hatch);
      out.on = ToPixel(b.colour);
      out.off = ToPixel(bkColour);
      out.offTransparent = bkMode != OPAQUE;
      out.solid = false;
      return true;
    case Brush::Pattern:
      // Monochrome pattern brushes draw both colours whatever the background mode.
      out.bits = b.pattern;
      out.on = ToPixel(bkColour);
      out.off = ToPixel(textColour);
      out.offTransparent = false;
      out.solid = false;
      return true;
  }
  return false;
}

void PaintSpan(Surface& s, int y, int x0, int x1, const Ink& ink, int rop2) {
  uint32_t* row = s.Row(y);
  if (ink.solid) {
    if (rop2 == R2_COPYPEN) {
      std::fill(row + x0, row + x1, ink.on);
    } else {
      for (int x = x0; x < x1; ++x) row[x] = ApplyRop2(rop2, ink.on, row[x]);
    }
    return;
  }
  const uint8_t bits = ink.bits[size_t(y & 7)];
  for (int x = x0; x < x1; ++x) {
    if (bits & (0x80u >> (x & 7))) {
      row[x] = ApplyRop2(rop2, ink.on, row[x]);
    } else if (!ink.offTransparent) {
      row[x] = ApplyRop2(rop2, ink.off, row[x]);
    }
  }
}

void PaintRect(Surface& s, const Rect& r, const Ink& ink, int rop2) {
  for (int y = r.top; y < r.bottom; ++y) PaintSpan(s, y, r.left, r.right, ink, rop2);
}

}  // namespace draw_detail

// ---- the DC ----------------------------------------------------------------------------

namespace {

// The dash patterns of the cosmetic pen styles as alternating on/off runs, on first.
struct DashPattern {
  int runs[6];
  int count;
  int period;
};
const DashPattern* DashFor(int style) {
  static const DashPattern kDash{{18, 6}, 2, 24};
  static const DashPattern kDot{{3, 3}, 2, 6};
  static const DashPattern kDashDot{{9, 6, 3, 6}, 4, 24};
  static const DashPattern kDashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
  switch (style) {
    case PS_DASH: return &kDash;
    case PS_DOT: return &kDot;
    case PS_DASHDOT: return &kDashDot;
    case PS_DASHDOTDOT: return &kDashDotDot;
    default: return nullptr;
  }
}
bool DashOn(const DashPattern& d, int pos) {
  pos %= d.period;
  for (int i = 0; i < d.count; ++i) {
    if (pos < d.runs[i]) return (i & 1) == 0;
    pos -= d.runs[i];
  }
  return false;
}

int PenWidth(const Pen& p) { return std::max(1, p.width); }
bool IsStyled(const Pen& p) { return DashFor(p.style) && PenWidth(p) <= 1; }

}  // namespace

DC::DC(Surface* target, Point origin, Rect clip) : target_(target), origin_(origin) {
  clip_ = target ? Intersect(clip, target->Bounds()) : Rect{};
  baseClip_ = clip_;
}

DC::DC(Surface* target, Point origin, Rect clip, std::span<const Rect> holes)
    : DC(target, origin, clip) {
  for (const Rect& hole : holes) {
    if (Intersect(hole, clip_).Empty()) continue;
    holed_ = true;
    break;
  }
  if (holed_) pieces_ = SubtractRects(clip_, holes);
}

DC::DC(Surface* target) : DC(target, {0, 0}, target ? target->Bounds() : Rect{}) {}

DC::~DC() = default;

void DC::SetClip(const Rect& logical) {
  clip_ = Intersect(logical.Offset(origin_.x, origin_.y), baseClip_);
}

void DC::FillRect(const Rect& r, const Brush& b) {
  Ink ink;
  if (!target_ || !draw_detail::BrushInk(b, textColour_, bkColour_, bkMode_, ink)) return;
  EachPiece([&] {
    const Rect area = Intersect(r.Offset(origin_.x, origin_.y), clip_);
    if (!area.Empty()) draw_detail::PaintRect(*target_, area, ink, R2_COPYPEN);
  });
}

void DC::FillSolid(const Rect& r, COLORREF c) {
  if (!target_) return;
  EachPiece([&] { target_->Fill(Intersect(r.Offset(origin_.x, origin_.y), clip_), ToPixel(c)); });
}

void DC::SetPixel(int x, int y, COLORREF c) {
  const Point p{x + origin_.x, y + origin_.y};
  if (!target_) return;
  EachPiece([&] {
    if (clip_.Contains(p)) target_->At(p.x, p.y) = ToPixel(c);
  });
}

void DC::Rectangle(int left, int top, int right, int bottom) {
  if (!target_) return;
  EachPiece([&] { RectangleInClip(left, top, right, bottom); });
}

void DC::RectangleInClip(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return;
  const Rect box = Rect{left, top, right, bottom}.Offset(origin_.x, origin_.y);

  Rect outer = box, inner = box;
  const bool hasPen = pen_.style != PS_NULL;
  if (hasPen) {
    const int w = IsStyled(pen_) ? 1 : PenWidth(pen_);
    if (pen_.style != PS_INSIDEFRAME) {
      // The outline runs through the centres of the outermost pixels of the box.
      outer = {box.left - w / 2, box.top - w / 2, box.right - 1 - w / 2 + w,
               box.bottom - 1 - w / 2 + w};
    }
    inner = {outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
    if (inner.Empty()) inner = {};
  }

  Ink brush;
  if (!inner.Empty() && draw_detail::BrushInk(brush_, textColour_, bkColour_, bkMode_, brush)) {
    const Rect area = Intersect(inner, clip_);
    if (!area.Empty()) draw_detail::PaintRect(*target_, area, brush, rop2_);
  }
  if (!hasPen) return;

  if (IsStyled(pen_)) {
    // Walk the one-pixel outline clockwise from the top-left corner, each pixel once.
    const DashPattern& dash = *DashFor(pen_.style);
    const uint32_t on = ToPixel(pen_.colour), off = ToPixel(bkColour_);
    int pos = 0;
    auto plot = [&](int x, int y) {
      const bool ink = DashOn(dash, pos++);
      if (!clip_.Contains({x, y})) return;
      uint32_t& d = target_->At(x, y);
      if (ink) d = ApplyRop2(rop2_, on, d);
      else if (bkMode_ == OPAQUE) d = ApplyRop2(rop2_, off, d);
    };
    const int l = box.left, t = box.top, r = box.right - 1, b = box.bottom - 1;
    for (int x = l; x <= r; ++x) plot(x, t);
    for (int y = t + 1; y <= b; ++y) plot(r, y);
    if (b > t) for (int x = r - 1; x >= l; --x) plot(x, b);
    if (r > l) for (int y = b - 1; y > t; --y) plot(l, y);
    return;
  }

  // A solid band between outer and inner, as four strips that do not overlap.
  const Ink pen = draw_detail::SolidInk(pen_.colour);
  const Rect strips[4] = {
      inner.Empty() ? outer : Rect{outer.left, outer.top, outer.right, inner.top},
      inner.Empty() ? Rect{} : Rect{outer.left, inner.bottom, outer.right, outer.bottom},
      inner.Empty() ? Rect{} : Rect{outer.left, inner.top, inner.left, inner.bottom},
      inner.Empty() ? Rect{} : Rect{inner.right, inner.top, outer.right, inner.bottom},
  };
  for (const Rect& s : strips) {
    const Rect area = Intersect(s, clip_);
    if (!area.Empty()) draw_detail::PaintRect(*target_, area, pen, rop2_);
  }
}

void DC::MoveTo(int x, int y) {
  current_ = {x, y};
  dashPos_ = 0;
}

namespace {

// A wide line is the set of pixels within half the pen width of the segment (round
// caps), scanned row by row so that each pixel is mixed once. Even widths sit half a
// pixel up and left, matching the wide rectangle outline.
void WideLine(Surface& s, const Rect& clip, Point a, Point b, int width, const Ink& ink,
              int rop2) {
  const double r = width / 2.0, shift = (width % 2 == 0) ? 0.5 : 0.0;
  const int pad = width / 2 + 1;
  const Rect bounds = Intersect({std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad,
                                 std::max(a.x, b.x) + pad + 1, std::max(a.y, b.y) + pad + 1},
                                clip);
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  for (int y = bounds.top; y < bounds.bottom; ++y) {
    uint32_t* row = s.Row(y);
    for (int x = bounds.left; x < bounds.right; ++x) {
      const double px = x + shift - a.x, py = y + shift - a.y;
      const double t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0, 1.0) : 0.0;
      const double ex = px - t * dx, ey = py - t * dy;
      if (ex * ex + ey * ey <= r * r) row[x] = ApplyRop2(rop2, ink.on, row[x]);
    }
  }
}

}  // namespace

void DC::LineTo(int x, int y) {
  const Point from{current_.x + origin_.x, current_.y + origin_.y};
  const Point to{x + origin_.x, y + origin_.y};
  current_ = {x, y};
  if (!target_ || pen_.style == PS_NULL) return;
  EachPiece([&] { LineInClip(from, to); });
}

void DC::LineInClip(Point from, Point to) {

  const uint32_t on = ToPixel(pen_.colour);
  if (!IsStyled(pen_) && PenWidth(pen_) > 1) {
    WideLine(*target_, clip_, from, to, PenWidth(pen_), draw_detail::SolidInk(pen_.colour),
             rop2_);
    return;
  }
  const DashPattern* dash = IsStyled(pen_) ? DashFor(pen_.style) : nullptr;
  const uint32_t off = ToPixel(bkColour_);
  // Bresenham; the end point itself is left for the next segment.
  const int dx = std::abs(to.x - from.x), sx = from.x < to.x ? 1 : -1;
  const int dy = -std::abs(to.y - from.y), sy = from.y < to.y ? 1 : -1;
  int err = dx + dy, px = from.x, py = from.y;
  while (px != to.x || py != to.y) {
    const bool ink = !dash || DashOn(*dash, dashPos_++);
    if (clip_.Contains({px, py})) {
      uint32_t& d = target_->At(px, py);
      if (ink) d = ApplyRop2(rop2_, on, d);
      else if (bkMode_ == OPAQUE) d = ApplyRop2(rop2_, off, d);
    }
    const int e2 = 2 * err;
    if (e2 >= dy) { err += dy; px += sx; }
    if (e2 <= dx) { err += dx; py += sy; }
  }
  if (dash) dashPos_ %= dash->period;
}

std::shared_ptr<Font> DC::GetFont() const {
  if (font_) return font_;
  static const std::shared_ptr<Font> kDefault = CreateFont(DefaultGuiFont());
  return kDefault;
}

}  // namespace platform
