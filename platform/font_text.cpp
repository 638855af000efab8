// Text output and measurement on a DC.
#include <algorithm>

#include "platform/draw.h"
#include "platform/font_internal.h"
#include "platform/text.h"

namespace platform {

namespace {

int Advance(Font& font, std::u32string_view text) {
  int64_t width = 0;
  for (char32_t c : text) width += font.GetGlyph(c).advance;
  return int(std::min<int64_t>(width, 1 << 24));
}

// Blends `colour` over dest by a coverage value in 0..255.
inline uint32_t Blend(uint32_t dest, uint32_t colour, uint32_t a) {
  if (a == 255) return colour;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t d = (dest >> shift) & 0xFF, c = (colour >> shift) & 0xFF;
    out |= ((d * (255 - a) + c * a + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

Point DC::GetTextExtent(std::string_view gbk) {
  const std::shared_ptr<Font> font = GetFont();
  const std::u32string text = GbkToCodePoints(gbk);
  auto lock = font->Lock();
  return {Advance(*font, text), font->Ascent() + font->Descent()};
}

void DC::TextOut(int x, int y, std::string_view gbk) {
  if (!target_) return;
  EachPiece([&] { TextOutInClip(x, y, gbk); });
}

void DC::TextOutInClip(int x, int y, std::string_view gbk) {
  const std::shared_ptr<Font> font = GetFont();
  const std::u32string text = GbkToCodePoints(gbk);
  auto lock = font->Lock();
  const int width = Advance(*font, text), height = font->Ascent() + font->Descent();
  const Point cell{x + origin_.x, y + origin_.y};
  const Rect box{cell.x, cell.y, cell.x + width, cell.y + height};
  if (bkMode_ == OPAQUE) target_->Fill(Intersect(box, clip_), ToPixel(bkColour_));

  const uint32_t ink = ToPixel(textColour_);
  const int baseline = cell.y + font->Ascent();
  int penX = cell.x;
  for (char32_t c : text) {
    const Font::Glyph& g = font->GetGlyph(c);
    const Rect glyphBox{penX + g.left, baseline - g.top, penX + g.left + g.width, baseline - g.top + g.height};
    penX += g.advance;
    const Rect area = Intersect(glyphBox, clip_);
    if (area.Empty()) continue;
    for (int yy = area.top; yy < area.bottom; ++yy) {
      const uint8_t* cov = g.coverage.data() + size_t(yy - glyphBox.top) * size_t(g.width);
      uint32_t* row = target_->Row(yy);
      for (int xx = area.left; xx < area.right; ++xx) {
        const uint8_t a = cov[xx - glyphBox.left];
        if (a) row[xx] = Blend(row[xx], ink, a);
      }
    }
  }
  const LogFont& lf = font->Logical();
  if (lf.underline) {
    const int top = baseline + font->UnderlineOffset();
    target_->Fill(Intersect({box.left, top, box.right, top + font->UnderlineThickness()}, clip_), ink);
  }
  if (lf.strikeOut) {
    const int top = baseline + font->StrikeOffset();
    target_->Fill(Intersect({box.left, top, box.right, top + font->StrikeThickness()}, clip_), ink);
  }
}

}  // namespace platform
