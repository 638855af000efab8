// The stage background, the platform bar, the splash card and the statue.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/art.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/text.h"

namespace assetgen {
namespace {

// The statue stands at (150, 480 − 136). Above its pedestal, what shows through its
// keyed background is a clipped yew hedge of one flat colour, which is also the
// statue picture's background: JPEG ringing around the figure then only shifts that
// colour by a few levels, invisible against the hedge itself.
constexpr int kStatueX = 150, kStatueW = 72, kStatueH = 136, kPedestalH = 24;
constexpr uint32_t kHedge = 0x2E5C38;

Rgba Rgb(uint32_t c) { return Opaque(c); }
Rgba Mix(Rgba a, Rgba b, double t) {
  return {uint8_t(a.r + (b.r - a.r) * t), uint8_t(a.g + (b.g - a.g) * t), uint8_t(a.b + (b.b - a.b) * t), 255};
}
// Ordered dithering between two colours: pixel-art gradients without banding.
Rgba Dither(Rgba a, Rgba b, double t, int x, int y) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return t * 16 > bayer[y & 3][x & 3] + 0.5 ? b : a;
}

void Cloud(Canvas& cv, double x, double y, double s) {
  Mask m(cv.Width(), cv.Height());
  m.Ellipse(x, y, 22 * s, 9 * s).Ellipse(x + 18 * s, y - 6 * s, 16 * s, 10 * s).Ellipse(x - 16 * s, y + 2 * s, 14 * s, 7 * s);
  Shade(cv, m, {{Rgb(0xB8D0E8), Rgb(0xD0E0F0), Rgb(0xE8F0F8), Rgb(0xF4F8FC)}}, 3);
}

void Tree(Canvas& cv, double x, double y, double s) {
  Mask trunk(cv.Width(), cv.Height());
  trunk.Rect(int(x - 3 * s), int(y), int(6 * s), int(40 * s));
  Shade(cv, trunk, pal::kWood, 1);
  Mask crown(cv.Width(), cv.Height());
  crown.Ellipse(x, y - 4 * s, 26 * s, 22 * s).Ellipse(x - 16 * s, y + 8 * s, 16 * s, 13 * s).Ellipse(x + 16 * s, y + 8 * s, 16 * s, 13 * s);
  Shade(cv, crown, {{Rgb(0x1E4028), Rgb(0x2E5A34), Rgb(0x447A40), Rgb(0x68A052)}}, 4);
}

}  // namespace

Canvas StageBackgroundCanvas() {
  const int W = 640, H = 480;
  Canvas cv(W, H);
  // Sky.
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < W; ++x) {
      double t = y / 300.0;
      Rgba a = t < 0.5 ? Rgb(0x5A8AD0) : Rgb(0x7AA8E0), b = t < 0.5 ? Rgb(0x7AA8E0) : Rgb(0xB0D0F0);
      cv.Set(x, y, Dither(a, b, t < 0.5 ? t * 2 : t * 2 - 1, x, y));
    }
  Cloud(cv, 470, 60, 1.2);
  Cloud(cv, 600, 110, 0.8);
  Cloud(cv, 90, 150, 0.7);
  // Distant hills and trees.
  Mask hills(W, H);
  for (int x = 0; x < W; ++x) hills.Rect(x, int(250 + 18 * std::sin(x / 70.0) + 10 * std::sin(x / 23.0)), 1, 200);
  Shade(cv, hills, {{Rgb(0x4A7A6A), Rgb(0x5A8E74), Rgb(0x6A9E80), Rgb(0x80B090)}}, 3);
  Tree(cv, 40, 250, 1.3);
  Tree(cv, 600, 260, 1.1);
  // The house front: plastered wall, timber frame, tiled roof, two windows and a door.
  const int hx = 250, hw = 300, wallTop = 200, wallBottom = 400;
  Mask wall(W, H);
  wall.Rect(hx, wallTop, hw, wallBottom - wallTop);
  Shade(cv, wall, {{Rgb(0x8A7A62), Rgb(0xC8B490), Rgb(0xE0CCA4), Rgb(0xECDCB8)}}, 3);
  for (int y = wallTop; y < wallBottom; ++y)  // timber posts and beams
    for (int x = hx; x < hx + hw; ++x)
      if ((x - hx) % 100 < 6 || (y - wallTop) % 100 < 5) cv.Set(x, y, (x + y) % 5 ? pal::kWood.c[1] : pal::kWood.c[0]);
  Mask roof(W, H);
  roof.Polygon({hx - 24, double(wallTop + 4), hx + hw / 2.0, 90, hx + hw + 24.0, double(wallTop + 4)});
  Shade(cv, roof, {{Rgb(0x4A1C1C), Rgb(0x7A2A24), Rgb(0xA03C2C), Rgb(0xC85A3A)}}, 4);
  for (int y = 96; y < wallTop + 4; y += 8)  // tile rows
    for (int x = 0; x < W; ++x)
      if (hills.Get(0, 0) || true)
        if (cv.At(x, y) == Rgb(0xA03C2C) || cv.At(x, y) == Rgb(0xC85A3A)) cv.Set(x, y, Rgb(0x7A2A24));
  Mask chimney(W, H);
  chimney.Rect(hx + 210, 110, 24, 50);
  Shade(cv, chimney, pal::kStone, 2);
  auto window = [&](int x, int y) {
    Mask frame(W, H);
    frame.Rect(x, y, 56, 52);
    Shade(cv, frame, pal::kWood, 2);
    for (int yy = y + 5; yy < y + 47; ++yy)
      for (int xx = x + 5; xx < x + 51; ++xx) {
        if (xx == x + 27 || xx == x + 28 || yy == y + 25 || yy == y + 26) continue;
        double t = double(yy - y) / 52 + double(xx - x) / 120;
        cv.Set(xx, yy, Dither(Rgb(0x3A6A9A), Rgb(0x8ABCE0), std::clamp(1 - t, 0.0, 1.0), xx, yy));
      }
    Mask box(W, H);
    box.Rect(x - 4, y + 52, 64, 10);
    Shade(cv, box, pal::kWood, 1);
    for (int k = 0; k < 8; ++k) {  // flowers in the window box
      Mask f(W, H);
      f.Ellipse(x + 2 + k * 8, y + 50, 3.5, 3);
      Shade(cv, f, k % 2 ? pal::kScarf : Ramp{{Rgb(0x8A6A1C), Rgb(0xD0A030), Rgb(0xF0D050), Rgb(0xF8F0A0)}}, 1);
    }
  };
  window(hx + 26, 250);
  window(hx + hw - 82, 250);
  Mask door(W, H);
  door.Rect(hx + 125, 300, 50, 100).Ellipse(hx + 150, 300, 25, 16);
  Shade(cv, door, pal::kWood, 3);
  for (int y = 290; y < 400; ++y) cv.Set(hx + 150, y, door.Get(hx + 150, y) ? pal::kWood.c[0] : cv.At(hx + 150, y));
  cv.Set(hx + 142, 352, pal::kGold.c[3]), cv.Set(hx + 158, 352, pal::kGold.c[3]);
  // Lawn and the paved path.
  for (int y = 380; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (y < 400 && wall.Get(x, y)) continue;
      double t = (y - 380) / 100.0;
      Rgba g = Dither(Rgb(0x5A9A44), Rgb(0x4A8A3C), t, x, y);
      if (((x * 7 + y * 13) % 23) == 0) g = Rgb(0x78B858);
      cv.Set(x, y, g);
    }
  Mask path(W, H);
  path.Polygon({hx + 125.0, 400, hx + 175.0, 400, hx + 200.0, 462, hx + 100.0, 462});
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (path.Get(x, y) || y >= 462) {
        bool joint = (y >= 462 ? ((y - 462) % 9 == 0 || (x + ((y - 462) / 9) * 12) % 24 == 0)
                               : ((y - 400) % 10 == 0 || (x + ((y - 400) / 10) * 9) % 18 == 0));
        cv.Set(x, y, joint ? Rgb(0x7A7268) : ((x / 3 + y / 2) % 7 == 0 ? Rgb(0xC8BEA8) : Rgb(0xB4AA96)));
      }
  for (int x = 0; x < W; ++x) cv.Set(x, 461, Rgb(0x3A6A2C));  // lawn edge
  // The hedge behind the statue (see kHedge).
  Mask hedge(W, H);
  hedge.Rect(kStatueX - 14, 360 - 16, kStatueW + 28, 462 - 344).Ellipse(kStatueX + kStatueW / 2.0, 346, kStatueW / 2.0 + 14, 14);
  Flat(cv, hedge, Opaque(kHedge));
  Mask hedgeEdge = hedge;
  Mask inner(W, H);
  inner.Rect(kStatueX - 6, 340, kStatueW + 12, 122);
  hedgeEdge.Subtract(inner);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (hedgeEdge.Get(x, y) && ((x * 5 + y * 3) % 7 < 2)) cv.Set(x, y, Rgb(0x447A40));
  // Flower beds along the house.
  for (int x = 20; x < 620; x += 11) {
    if (x > hx + 95 && x < hx + 205) continue;
    if (x > kStatueX - 20 && x < kStatueX + kStatueW + 20) continue;
    Mask b(W, H);
    b.Ellipse(x, 412 + (x * 7) % 5, 6, 5);
    Shade(cv, b, {{Rgb(0x1E4028), Rgb(0x2E5A34), Rgb(0x447A40), Rgb(0x68A052)}}, 2);
    if (x % 3 == 0) cv.Set(x - 1, 409, pal::kScarf.c[3]);
    if (x % 3 == 1) cv.Set(x + 1, 410, Rgb(0xF0D050));
  }
  return cv;
}

Bytes StageBackground() { return EncodeJpeg(StageBackgroundCanvas(), 92); }

// 96 x 16 blue bar with a bevel and rivets.
Bytes BlockPicture() {
  Canvas cv(96, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 96; ++x) {
      Rgba c = y == 0 || y == 15 || x == 0 || x == 95 ? pal::kBlue.c[0]
               : y <= 2                                 ? pal::kBlue.c[3]
               : y >= 12                                ? pal::kBlue.c[1]
                                                        : pal::kBlue.c[2];
      if ((x == 1 || x == 94) && y > 0 && y < 15) c = x == 1 ? pal::kBlue.c[3] : pal::kBlue.c[1];
      cv.Set(x, y, c);
    }
  for (int x : {6, 89})
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx) cv.Set(x + dx, 7 + dy, dx + dy == 0 ? pal::kSteel.c[3] : pal::kSteel.c[1]);
  for (int x = 16; x < 80; x += 16)
    for (int y = 4; y < 12; ++y) cv.Set(x, y, pal::kBlue.c[1]);
  return EncodeJpeg(cv, 95);
}

// 480 x 320 title card over the white start cover. Keyed by its top-left pixel (white):
// the card's outer margin is white and fades into the picture, so the JPEG's ringing at
// the edge stays near-white against the white cover.
Bytes SplashPicture() {
  const int W = 480, H = 320;
  Canvas cv(W, H, Rgb(0xFFFFFF));
  const int mx = 16, my = 16;
  for (int y = my; y < H - my; ++y)
    for (int x = mx; x < W - mx; ++x) {
      double t = double(y - my) / (H - 2 * my);
      Rgba c = t < 0.5 ? Dither(Rgb(0x1A1A3A), Rgb(0x2A3A6A), t * 2, x, y) : Dither(Rgb(0x2A3A6A), Rgb(0x5A4A7A), t * 2 - 1, x, y);
      cv.Set(x, y, c);
    }
  Rng rng(7);
  for (int i = 0; i < 90; ++i) {
    int x = rng.Range(mx + 4, W - mx - 4), y = rng.Range(my + 4, 200);
    cv.Set(x, y, i % 5 ? Rgb(0xC8D0F0) : Rgb(0xF8F0C0));
  }
  Mask moon(W, H);
  moon.Ellipse(400, 70, 22, 22);
  Shade(cv, moon, {{Rgb(0xB8B090), Rgb(0xE0D8B0), Rgb(0xF0ECD0), Rgb(0xFCF8E8)}}, 3);
  // Ground line with the cast.
  for (int y = 250; y < H - my; ++y)
    for (int x = mx; x < W - mx; ++x) cv.Set(x, y, Dither(Rgb(0x2A4A2A), Rgb(0x1A301E), (y - 250) / 54.0, x, y));
  Canvas hero = HeroPreview();
  Canvas ogre = OgrePreview();
  Canvas wraith = WraithPreview();
  cv.Paste(ogre, 270, 250 - 140);
  cv.Paste(wraith, 190, 96);
  cv.Paste(hero, 40, 250 - 100, true);
  auto font = TextRenderer::Open("WenQuanYi Zen Hei");
  if (!font) throw std::runtime_error("font \"WenQuanYi Zen Hei\" not found (fonts-wqy-zenhei)");
  // Title: drawn small without smoothing and doubled, so it has the sprites' pixels.
  auto banner = [&](const char* text, int size, int scale, int y, const Ramp& ramp) {
    Mask small(W, H);
    int w = font->Measure(text, size);
    font->Draw(small, 0, size, text, size);
    Mask big(W, H);
    int x0 = (W - w * scale) / 2;
    for (int yy = 0; yy < H / scale; ++yy)
      for (int xx = 0; xx < W / scale; ++xx)
        if (small.Get(xx, yy)) big.Rect(x0 + xx * scale, y + yy * scale, scale, scale);
    Canvas layer(W, H);
    for (int yy = 0; yy < H; ++yy)
      for (int xx = 0; xx < W; ++xx)
        if (big.Get(xx, yy)) {
          double t = double(yy - y) / ((size + 4) * scale);
          layer.Set(xx, yy, t < 0.35 ? ramp.c[3] : t < 0.7 ? ramp.c[2] : ramp.c[1]);
        }
    layer.Outline(pal::kOutline);
    Canvas shadow = layer;
    cv.Paste(shadow, 2, 2);
    cv.Paste(layer, 0, 0);
  };
  banner("Tolvaran", 30, 3, 20, pal::kGold);
  banner("按回车键开始游戏", 24, 1, 262, {{pal::kOutline, Rgb(0xB8C0D8), Rgb(0xE0E4F0), Rgb(0xF4F4F8)}});
  // Soft white edge: the outer 6 pixels of the card blend into the margin.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int d = std::min({x - mx, y - my, W - mx - 1 - x, H - my - 1 - y});
      if (d >= 0 && d < 6) {
        Rgba c = cv.At(x, y);
        cv.Set(x, y, Mix(Rgb(0xFFFFFF), c, (d + 1) / 7.0));
      }
    }
  return EncodeJpeg(cv, 92);
}

// 72 x 136: a bronze swordsman on a stone pedestal that fills the picture's bottom 24
// rows edge to edge (no keyed background there, so nothing to fringe against the path).
Bytes StatuePicture() {
  const int W = kStatueW, H = kStatueH;
  Canvas cv(W, H, Opaque(kHedge));
  Mask ped(W, H);
  ped.Rect(0, H - kPedestalH, W, kPedestalH);
  Shade(cv, ped, pal::kStone, 2);
  for (int x = 0; x < W; ++x) cv.Set(x, H - kPedestalH + 5, pal::kStone.c[0]);
  Mask plinth(W, H);
  plinth.Rect(10, H - kPedestalH - 6, W - 20, 6);
  Shade(cv, plinth, pal::kStone, 1);
  Canvas fig(W, H);
  const int base = H - kPedestalH - 6;
  Mask legs(W, H);
  legs.Capsule(30, base - 40, 24, base - 2, 5, 4).Capsule(42, base - 40, 48, base - 2, 5, 4);
  Shade(fig, legs, pal::kBronze, 2);
  Mask body(W, H);
  body.Capsule(36, base - 44, 36, base - 72, 10, 11).Polygon({24, base - 48.0, 48, base - 48.0, 52, base - 30.0, 20, base - 30.0});
  Shade(fig, body, pal::kBronze, 2);
  Mask head(W, H);
  head.Ellipse(36, base - 90, 8, 9);
  Shade(fig, head, pal::kBronze, 2);
  Mask helm(W, H);
  helm.Ellipse(36, base - 93, 9, 7).Capsule(36, base - 100, 40, base - 108, 2, 1);
  Shade(fig, helm, pal::kBronze, 1);
  Mask arms(W, H);
  arms.Capsule(26, base - 76, 18, base - 56, 4, 3.5).Capsule(46, base - 76, 54, base - 90, 4, 3.5);
  Shade(fig, arms, pal::kBronze, 1);
  Mask sword(W, H);
  sword.Capsule(55, base - 92, 58, base - 104 - 0, 1.6, 1.4).Capsule(54, base - 88, 20, base - 106 + 60, 0, 0);
  sword.Capsule(56, base - 94, 62, base - 100 - 20, 2.2, 1.0);
  Shade(fig, sword, pal::kBronze, 1);
  Mask shield(W, H);
  shield.Ellipse(18, base - 56, 9, 12);
  Shade(fig, shield, pal::kBronze, 2);
  fig.Outline(Opaque(0x1A2A20));
  cv.Paste(fig, 0, 0);
  return EncodeJpeg(cv, 95);
}

}  // namespace assetgen
