// Heads-up display pieces, the three items and the damage-digit sheet.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "tools/assetgen/art.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/text.h"

namespace assetgen {
namespace {

bool InRoundRect(int x, int y, int x0, int y0, int w, int h, int r) {
  if (x < x0 || y < y0 || x >= x0 + w || y >= y0 + h) return false;
  int cx = std::clamp(x, x0 + r, x0 + w - 1 - r), cy = std::clamp(y, y0 + r, y0 + h - 1 - r);
  double dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= r * r + 0.5;
}


}  // namespace

// 72 x 20 at (0, 60), under the 60-wide portrait; its trough (columns 1..70) takes the
// 70 x 20 fill.
Bytes HeroBarBack() {
  Canvas cv(72, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 72; ++x) {
      if (!InRoundRect(x, y, 0, 0, 72, 20, 6)) continue;
      bool rim = !InRoundRect(x, y, 1, 1, 70, 18, 5);
      bool gold = !rim && !InRoundRect(x, y, 2, 2, 68, 16, 4);
      cv.Set(x, y, rim ? pal::kOutline : gold ? (y < 10 ? pal::kGold.c[3] : pal::kGold.c[1]) : Opaque(0x3A1A22));
    }
  return EncodePng(cv);
}

// 70 x 20. The game crops it on a magenta stage and keys the crop by its top-left pixel,
// so that corner is transparent and no pixel is magenta.
Bytes HeroBarFill() {
  Canvas cv(70, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 70; ++x) {
      if (!InRoundRect(x, y, 1, 2, 68, 16, 4)) continue;
      double t = (y - 2) / 15.0;
      Rgba c = t < 0.2 ? pal::kRed.c[3] : t < 0.55 ? pal::kRed.c[2] : t < 0.85 ? pal::kRed.c[1] : pal::kRed.c[0];
      if (y == 4 && x > 4 && x < 60 && x % 9 != 0) c = Opaque(0xFCC0A8);
      cv.Set(x, y, c);
    }
  return EncodePng(cv);
}

// About 58 wide: the game centres it by (width − 58) / 2. 58 x 10, the fill's 53 columns
// start one pixel in and the last four columns make the end cap.
Bytes MonsterBarBack() {
  Canvas cv(58, 10, pal::kOutline);
  for (int y = 1; y < 9; ++y)
    for (int x = 1; x < 57; ++x) cv.Set(x, y, x >= 54 ? pal::kGold.c[1] : Opaque(0x3A1A22));
  for (int x = 54; x < 57; ++x) cv.Set(x, 2, pal::kGold.c[3]);
  return EncodePng(cv);
}

// 53 x 10, cropped and shown without a key: every pixel opaque, its own dark top and
// bottom edge.
Bytes MonsterBarFill() {
  Canvas cv(53, 10, pal::kOutline);
  for (int y = 1; y < 9; ++y)
    for (int x = 0; x < 53; ++x) {
      Rgba c = y <= 2 ? pal::kGreen.c[3] : y <= 5 ? pal::kGreen.c[2] : pal::kGreen.c[1];
      if (y == 2 && x % 10 == 9) c = pal::kGreen.c[2];
      cv.Set(x, y, c);
    }
  return EncodePng(cv, false);
}

// 40 x 40: slots sit 43 apart, the icon at +8 (24 x 24), the number at (+4, +3), the
// count at (+30, +25).
Bytes ItemSlot() {
  Canvas cv(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      if (!InRoundRect(x, y, 0, 0, 40, 40, 5)) continue;
      bool rim = !InRoundRect(x, y, 1, 1, 38, 38, 4);
      bool bevel = !rim && !InRoundRect(x, y, 2, 2, 36, 36, 3);
      Rgba c = rim ? pal::kOutline : bevel ? (x + y < 40 ? pal::kStone.c[3] : pal::kStone.c[0]) : Opaque(0x5A5468);
      if (!rim && !bevel && InRoundRect(x, y, 8, 8, 24, 24, 3)) c = Opaque(0x4A4458);
      if (!rim && !bevel && x < 13 && y < 15) c = pal::kStone.c[3];  // the number's tab
      cv.Set(x, y, c);
    }
  return EncodePng(cv);
}

// Items are 24 x 24: they rest 25 pixels above a platform top and fill the slot's
// 24 x 24 well. Transparent pixels are keyed by the top-left pixel, so no art pixel
// may be black.
Bytes BluePotion() {
  Canvas cv(24, 24);
  Mask flask(24, 24);
  flask.Ellipse(12, 15.5, 7.5, 7).Rect(9, 5, 6, 6);
  Shade(cv, flask, {{Opaque(0x2A3A5A), Opaque(0x7A9AB8), Opaque(0xB8D0E0), Opaque(0xE8F4F8)}}, 1);
  Mask liquid(24, 24);
  liquid.Ellipse(12, 15.5, 6.5, 6).Intersect(Mask(24, 24).Rect(0, 12, 24, 12));
  Shade(cv, liquid, pal::kBlue, 2);
  Mask cork(24, 24);
  cork.Rect(9, 2, 6, 4);
  Shade(cv, cork, pal::kWood, 1);
  cv.Set(9, 14, pal::kEyeGlint), cv.Set(9, 15, pal::kEyeGlint), cv.Set(10, 13, pal::kEyeGlint);
  cv.Outline(pal::kOutline);
  return EncodePng(cv);
}

Bytes ChickenLeg() {
  Canvas cv(24, 24);
  Mask bone(24, 24);
  bone.Capsule(6, 18, 12, 12, 1.6, 1.6).Ellipse(4.5, 19.5, 2.2, 2.2).Ellipse(6.5, 21, 2.2, 2.2);
  Shade(cv, bone, pal::kBone, 1);
  Mask meat(24, 24);
  meat.Ellipse(15, 9, 7.5, 6.5, -40).Capsule(15, 9, 10, 14, 4, 2.5);
  Shade(cv, meat, {{Opaque(0x5A2A14), Opaque(0x9A4A1C), Opaque(0xD0782C), Opaque(0xF0B060)}}, 2);
  cv.Set(16, 6, Opaque(0xFCE0A0)), cv.Set(17, 6, Opaque(0xFCE0A0)), cv.Set(15, 7, Opaque(0xFCE0A0));
  cv.Outline(pal::kOutline);
  return EncodePng(cv);
}

Bytes Cloak() {
  Canvas cv(24, 24);
  Mask cloak(24, 24);
  cloak.Polygon({12, 1, 17, 4, 18, 9, 21, 22, 3, 22, 6, 9, 7, 4});
  Shade(cv, cloak, pal::kCloth, 2);
  Mask hood(24, 24);
  hood.Ellipse(12, 7.5, 3.5, 3.5);
  Flat(cv, hood, Opaque(0x2A1830));
  Mask hem(24, 24);
  hem.Rect(3, 20, 19, 2).Intersect(cloak);
  Shade(cv, hem, pal::kGold, 1);
  for (auto [x, y] : {std::pair{5, 13}, {19, 15}, {11, 17}}) {  // shimmer
    cv.Set(x, y, pal::kLight.c[3]);
    cv.Set(x + 1, y, pal::kLight.c[2]), cv.Set(x - 1, y, pal::kLight.c[2]);
    cv.Set(x, y - 1, pal::kLight.c[2]), cv.Set(x, y + 1, pal::kLight.c[2]);
  }
  cv.Outline(pal::kOutline);
  return EncodePng(cv);
}

// 180 x 65: digits 0..9 in 18 x 32 cells, damage on row y 0, healing (green) on row y 33.
// Each digit is captured over black and shown without a key, so every cell is a small
// opaque badge: a dark tile with a coloured rim and the digit.
Bytes DigitSheet() {
  auto font = TextRenderer::Open("WenQuanYi Zen Hei");
  if (!font) throw std::runtime_error("font \"WenQuanYi Zen Hei\" not found (fonts-wqy-zenhei)");
  Canvas cv(180, 65, Opaque(0x141018));
  for (int row = 0; row < 2; ++row) {
    const Ramp& ink = row == 0 ? pal::kFire : pal::kGreen;
    const int top = row * 33;
    for (int d = 0; d < 10; ++d) {
      const int left = d * 18;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 18; ++x) {
          bool in = InRoundRect(x, y, 0, 1, 18, 30, 4);
          bool rim = in && !InRoundRect(x, y, 1, 2, 16, 28, 3);
          cv.Set(left + x, top + y, !in ? Opaque(0x141018) : rim ? ink.c[0] : Opaque(0x221A2A));
        }
      Mask glyph(180, 65);
      std::string s(1, char('0' + d));
      int w = font->Measure(s, 26);
      font->Draw(glyph, left + (18 - w) / 2, top + 25, s, 26);
      // Bold by one pixel, then outline, then a vertical gradient.
      Mask bold = glyph;
      for (int y = top; y < top + 32; ++y)
        for (int x = left; x < left + 18; ++x)
          if (glyph.Get(x - 1, y)) bold.Put(x, y);
      for (int y = top + 1; y < top + 31; ++y)
        for (int x = left + 1; x < left + 17; ++x) {
          if (bold.Get(x, y)) {
            double t = double(y - top - 4) / 22.0;
            cv.Set(x, y, t < 0.3 ? ink.c[3] : t < 0.65 ? ink.c[2] : ink.c[1]);
          } else if (bold.Get(x - 1, y) || bold.Get(x + 1, y) || bold.Get(x, y - 1) || bold.Get(x, y + 1)) {
            cv.Set(x, y, pal::kOutline);
          }
        }
    }
  }
  return EncodePng(cv, false);
}

}  // namespace assetgen
