// The two monsters. Kind 4 is a horned ogre with a club that walks the ground; kind 5 a
// bat-winged wraith that flies near the top of the stage. Both face left as drawn.
//
// Sizes follow from where the game puts them:
// - kind 4 walks at (490, 343) with its feet on the ground top 473: 100 x 130. The top
//   14 rows stay clear for the health bar the game lays over the sprite's top edge.
// - kind 5 paces at y 20. A hero jumping from the platforms at y 352 and 320 swings his
//   blade at about y 170..240, so the wraith's tail reaches down to y ~195: 96 x 176.
// - the attack pose and its effect are drawn at (x − 67, y − 12) or, mirrored, at
//   (x − 10, y − 12): 77 wider and 12 taller than the walking picture, with the body at
//   columns 67.. and rows 12.. so that it stays where it walked.
// - the hurt picture replaces the walking one in place: same size.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/art.h"
#include "tools/assetgen/palette.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979;

struct OgrePose {
  double ox = 0, oy = 0;  // where the 100 x 130 body box starts
  double step = 0;        // walk phase in turns
  double lean = 0;        // body lean back (negative) or forward (positive)
  double club = 20;       // club angle from down, forward positive
  bool hurt = false;
};

void DrawOgre(Canvas& cv, const OgrePose& p) {
  const int W = cv.Width(), H = cv.Height();
  const Ramp skin = p.hurt ? pal::kBone : pal::kOgre;
  double ph = p.step * 2 * kPi;
  double bob = p.step >= 0 ? std::abs(std::sin(ph)) * 2 : 0;
  double x0 = p.ox, y0 = p.oy + bob;
  double l = p.lean;
  auto legs = [&](bool far) {
    double s = (far ? -1 : 1) * std::sin(ph) * 10;
    double hx = x0 + 56 + (far ? 8 : -6), hy = y0 + 96;
    double fx = hx - s, fy = p.oy + 122;
    Mask m(W, H);
    m.Capsule(hx, hy, (hx + fx) / 2 + 2, (hy + fy) / 2, 9, 8).Capsule((hx + fx) / 2 + 2, (hy + fy) / 2, fx, fy, 8, 7);
    Shade(cv, m, far ? pal::Darker(skin) : skin, 2);
    Mask foot(W, H);
    foot.Ellipse(fx - 4, p.oy + 125, 10, 4.5);
    Shade(cv, foot, far ? pal::Darker(pal::kLeather) : pal::kLeather, 1);
  };
  auto arm = [&](bool far) {
    double sx = x0 + 44 + l + (far ? 16 : 0), sy = y0 + 52;
    double a = far ? -15 + std::sin(ph) * 15 : p.club;
    double hx = sx - std::sin(a * kPi / 180) * 34, hy = sy + std::cos(a * kPi / 180) * 34;
    if (!far) {
      Mask club(W, H);
      double cx = hx - std::sin(a * kPi / 180) * 34, cy = hy + std::cos(a * kPi / 180) * 34;
      club.Capsule(hx, hy, cx, cy, 3.5, 8.5);
      Shade(cv, club, pal::kWood, 2);
      for (int k = 0; k < 3; ++k) {  // iron studs
        double t = 0.55 + 0.18 * k;
        cv.Set(int(hx + (cx - hx) * t), int(hy + (cy - hy) * t), pal::kSteel.c[3]);
      }
    }
    Mask m(W, H);
    m.Capsule(sx, sy, (sx + hx) / 2, (sy + hy) / 2, 9, 8).Capsule((sx + hx) / 2, (sy + hy) / 2, hx, hy, 8, 7);
    m.Ellipse(hx, hy, 7.5, 7.5);
    Shade(cv, m, far ? pal::Darker(skin) : skin, 2);
  };
  arm(true);
  legs(true);
  Mask body(W, H);
  body.Ellipse(x0 + 54 + l * 0.5, y0 + 70, 25, 30);
  body.Ellipse(x0 + 46 + l, y0 + 54, 18, 14);
  Shade(cv, body, skin, 3);
  Mask belly(W, H);
  belly.Ellipse(x0 + 44 + l * 0.5, y0 + 76, 12, 15).Intersect(body);
  Shade(cv, belly, p.hurt ? pal::kBone : pal::kBone, 2);
  Mask cloth(W, H);
  cloth.Polygon({x0 + 32, y0 + 88, x0 + 78, y0 + 88, x0 + 74, y0 + 106, x0 + 54, y0 + 112, x0 + 36, y0 + 104});
  Shade(cv, cloth, pal::kCloth, 2);
  Mask belt(W, H);
  belt.Rect(int(x0 + 30), int(y0 + 86), 50, 4).Intersect(Mask(W, H).Ellipse(x0 + 54, y0 + 88, 26, 10));
  Shade(cv, belt, pal::kLeather, 1);
  legs(false);
  // Head: low and forward, with two curled horns and tusks.
  double hx = x0 + 34 + l * 1.4, hy = y0 + 36;
  Mask horn(W, H);
  horn.Capsule(hx + 4, hy - 8, hx + 10, hy - 18, 3.5, 2.5).Capsule(hx + 10, hy - 18, hx + 4, hy - 22, 2.5, 1.2);
  horn.Capsule(hx + 12, hy - 6, hx + 22, hy - 14, 3.5, 2.5).Capsule(hx + 22, hy - 14, hx + 20, hy - 20, 2.5, 1.2);
  Shade(cv, horn, pal::kBone, 1);
  Mask head(W, H);
  head.Ellipse(hx + 4, hy, 13, 12).Ellipse(hx - 6, hy + 5, 7, 6);
  Shade(cv, head, skin, 2);
  Mask brow(W, H);
  brow.Capsule(hx - 8, hy - 3, hx + 4, hy - 5, 2, 2).Intersect(head);
  Shade(cv, brow, pal::Darker(skin), 1);
  cv.Set(int(hx - 4), int(hy - 1), pal::kOutline);
  cv.Set(int(hx - 3), int(hy - 1), p.hurt ? pal::kOutline : Opaque(0xF8D040));
  cv.Set(int(hx - 4), int(hy), pal::kOutline);
  cv.Set(int(hx - 3), int(hy), pal::kOutline);
  Mask tusk(W, H);
  tusk.Capsule(hx - 9, hy + 8, hx - 11, hy + 3, 1.3, 0.6).Capsule(hx - 2, hy + 9, hx - 3, hy + 4, 1.3, 0.6);
  Shade(cv, tusk, pal::kBone, 1);
  arm(false);
}

struct WraithPose {
  double ox = 0, oy = 0;
  double flap = 0;   // 0..1 wing phase
  double sway = 0;   // tail phase
  double claw = 0;   // 0 rest .. 1 full forward strike
  bool hurt = false;
};

void DrawWraith(Canvas& cv, const WraithPose& p) {
  const int W = cv.Width(), H = cv.Height();
  const Ramp body = p.hurt ? pal::kWisp : pal::kDemon;
  double bob = std::sin(p.flap * 2 * kPi) * 2;
  double x0 = p.ox, y0 = p.oy + bob;
  double cx = x0 + 48, cy = y0 + 62;
  // Tail: a tapering chain of wisps that curls down to the picture's bottom.
  Mask tail(W, H);
  double px = cx + 2, py = cy + 12;
  for (int i = 1; i <= 16; ++i) {
    double t = i / 16.0;
    double nx = cx + 4 + std::sin(t * 3.2 + p.sway * 2 * kPi) * (6 + 12 * t);
    double ny = cy + 12 + t * (p.oy + 172 - cy - 12 - bob);
    tail.Capsule(px, py, nx, ny, 13 * (1 - t) + 3, 13 * (1 - t * 0.98) + 2.5);
    px = nx, py = ny;
  }
  Shade(cv, tail, pal::kWisp, 3);
  // Wings behind the body: a far wing (darker) and a near wing.
  auto wing = [&](bool far) {
    double up = std::cos(p.flap * 2 * kPi) * 14;
    double sx = cx + (far ? 8 : 2), sy = cy - 14;
    double tx = sx + (far ? 40 : -38), ty = sy - 20 - up;
    Mask m(W, H);
    double mx = (sx + tx) / 2, my = (sy + ty) / 2;
    m.Polygon({sx, sy, tx, ty, tx + (far ? 2 : -2), ty + 22, mx + (far ? 6 : -6), my + 24, mx, my + 14, sx, sy + 18});
    Shade(cv, m, far ? pal::Darker(pal::kWing) : pal::kWing, 2);
    Mask bone(W, H);
    bone.Capsule(sx, sy, tx, ty, 2.2, 1.2).Capsule(tx, ty, mx + (far ? 6 : -6), my + 24, 1.2, 0.8);
    Shade(cv, bone, far ? pal::Darker(body) : body, 1);
  };
  wing(true);
  wing(false);
  Mask torso(W, H);
  torso.Ellipse(cx, cy, 13, 17).Ellipse(cx + 2, cy + 14, 10, 9);
  Shade(cv, torso, body, 2);
  Mask head(W, H);
  double hx = cx - 4, hy = cy - 24;
  Mask horns(W, H);
  horns.Capsule(hx - 2, hy - 7, hx - 9, hy - 17, 2.6, 1).Capsule(hx + 6, hy - 7, hx + 10, hy - 18, 2.6, 1);
  Shade(cv, horns, pal::kBone, 1);
  head.Ellipse(hx, hy, 9.5, 9).Ellipse(hx - 6, hy + 4, 5, 4);
  Shade(cv, head, body, 2);
  Rgba eye = p.hurt ? pal::kOutline : Opaque(0xF8E060);
  for (int k = 0; k < 3; ++k) cv.Set(int(hx - 7 + k), int(hy - 1), eye);
  cv.Set(int(hx - 6), int(hy), eye);
  cv.Set(int(hx - 9), int(hy + 6), pal::kBone.c[3]);  // fang
  cv.Set(int(hx - 6), int(hy + 6), pal::kBone.c[3]);
  // Clawed arm reaching forward-down; further forward while striking.
  double sx = cx - 6, sy = cy - 8;
  double a = 35 + p.claw * 55;
  double ex = sx - std::sin(a * kPi / 180) * 14, ey = sy + std::cos(a * kPi / 180) * 14;
  double hx2 = ex - std::sin((a + 20) * kPi / 180) * 13, hy2 = ey + std::cos((a + 20) * kPi / 180) * 13;
  Mask arm(W, H);
  arm.Capsule(sx, sy, ex, ey, 3.6, 3).Capsule(ex, ey, hx2, hy2, 3, 2.6);
  Shade(cv, arm, body, 1);
  Mask claws(W, H);
  for (int k = -1; k <= 1; ++k) claws.Capsule(hx2, hy2, hx2 - 5, hy2 + 3 + k * 3, 1.2, 0.5);
  Shade(cv, claws, pal::kBone, 1);
}

// Effects are drawn from simple rings and sparks; `t` runs 0..1 over the effect.
void ShockWave(Canvas& cv, double cx, double cy, double t, const Ramp& ramp, uint32_t seed) {
  const int W = cv.Width(), H = cv.Height();
  double r = 10 + 55 * t;
  Mask ring(W, H);
  ring.Ellipse(cx, cy, r, r * 0.45);
  Mask inner(W, H);
  inner.Ellipse(cx + 4, cy, r * (0.55 + 0.3 * t), r * 0.45 * (0.55 + 0.3 * t));
  ring.Subtract(inner);
  Shade(cv, ring, ramp, 2);
  Rng rng(seed);
  for (int i = 0; i < 14; ++i) {
    double a = kPi + rng.Unit() * kPi, d = r * (0.6 + 0.6 * rng.Unit());
    double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d * 1.3 - 30 * t * rng.Unit();
    Mask s(W, H);
    s.Ellipse(x, y, 2 + 2 * (1 - t), 2 + 2 * (1 - t));
    Shade(cv, s, i % 3 == 0 ? pal::kStone : ramp, 1);
  }
}

Bytes Ogre(int suffix) {
  std::vector<GifFrame> frames;
  if (suffix == 2) {
    for (int f = 0; f < 6; ++f) {
      Canvas cv(100, 130);
      OgrePose p;
      p.step = f / 6.0;
      p.club = 18 + std::sin(p.step * 2 * kPi) * 6;
      DrawOgre(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, 200});
    }
  } else if (suffix == 1) {
    const double lean[4] = {-10, -14, -8, -3};
    for (int f = 0; f < 4; ++f) {
      Canvas cv(100, 130);
      OgrePose p;
      p.lean = lean[f];
      p.club = 40;
      p.hurt = f % 2 == 0;
      DrawOgre(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, 110});
    }
  } else if (suffix == 3) {
    const double club[6] = {150, 165, 120, 62, 62, 40};
    const double lean[6] = {-6, -10, 6, 14, 14, 6};
    const int delay[6] = {150, 150, 60, 60, 200, 150};
    for (int f = 0; f < 6; ++f) {
      Canvas cv(177, 142);
      OgrePose p;
      p.ox = 67, p.oy = 12, p.step = 0, p.club = club[f], p.lean = lean[f];
      DrawOgre(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, delay[f]});
    }
  } else {
    const int delay[6] = {150, 150, 60, 60, 200, 150};
    for (int f = 0; f < 6; ++f) {
      Canvas cv(177, 142);
      // The club lands at about (60, 98) on the smash frames (3 and 4).
      if (f == 1 || f == 2) {
        Mask g(177, 142);
        g.Ellipse(f == 1 ? 100 : 66, f == 1 ? 30 : 92, 3, 3);
        Flat(cv, g, pal::kFire.c[3]);
      } else if (f >= 3) {
        double t = (f - 3) / 2.0;
        ShockWave(cv, 48, 132, 0.3 + t * 0.7, f == 3 ? pal::kFire : pal::kDust, 40u + f);
        if (f <= 4) {
          Mask star(177, 142);
          double r = f == 3 ? 20 : 14;
          for (int k = 0; k < 8; ++k) {
            double a = k * kPi / 4 + 0.3;
            star.Capsule(58, 98, 58 + std::cos(a) * r * (k % 2 ? 0.6 : 1), 98 + std::sin(a) * r * (k % 2 ? 0.6 : 1), 4, 0.8);
          }
          star.Ellipse(58, 98, 8, 8);
          Shade(cv, star, pal::kFire, 2);
        }
      }
      if (f >= 1) cv.Outline(pal::kOutline);
      frames.push_back({cv, delay[f]});
    }
  }
  return EncodeGif(frames);
}

Bytes Wraith(int suffix) {
  std::vector<GifFrame> frames;
  if (suffix == 2) {
    for (int f = 0; f < 6; ++f) {
      Canvas cv(96, 176);
      WraithPose p;
      p.flap = f / 6.0, p.sway = f / 6.0;
      DrawWraith(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, 200});
    }
  } else if (suffix == 1) {
    for (int f = 0; f < 4; ++f) {
      Canvas cv(96, 176);
      WraithPose p;
      p.flap = 0.5, p.sway = 0.1 * f, p.hurt = f % 2 == 0, p.ox = f < 3 ? 3 : 1;
      DrawWraith(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, 110});
    }
  } else if (suffix == 3) {
    const double claw[6] = {0, 0.2, 0.6, 1, 1, 0.5};
    const int delay[6] = {150, 120, 60, 60, 200, 150};
    for (int f = 0; f < 6; ++f) {
      Canvas cv(173, 188);
      WraithPose p;
      p.ox = 67, p.oy = 12, p.flap = f / 6.0 + 0.5, p.sway = f / 6.0, p.claw = claw[f];
      DrawWraith(cv, p);
      cv.Outline(pal::kOutline);
      frames.push_back({cv, delay[f]});
    }
  } else {
    const int delay[6] = {150, 120, 60, 60, 200, 150};
    for (int f = 0; f < 6; ++f) {
      Canvas cv(173, 188);
      if (f >= 1) {
        // Three claw slashes of dark fire sweeping down in front of the wraith.
        double t = (f - 1) / 4.0;
        for (int k = 0; k < 3; ++k) {
          Mask m(173, 188);
          double bx = 70 - k * 14, by = 70 + k * 8;
          int steps = 40;
          for (int s = 0; s <= steps; ++s) {
            double u = double(s) / steps * std::min(1.0, 0.4 + t * 1.6);
            double x = bx - u * 55, y = by + u * 95;
            double r = std::sin(u * kPi) * (5 - 3 * std::max(0.0, t - 0.6) * 2.5) + 0.8;
            if (r > 0.5) m.Ellipse(x, y, r, r);
          }
          Shade(cv, m, f <= 3 ? pal::kDemon : pal::Darker(pal::kDemon), 1);
        }
        Mask glow(173, 188);
        glow.Ellipse(30, 150, 10 + 10 * t, 6 + 6 * t);
        if (f >= 2 && f <= 4) Shade(cv, glow, pal::kFire, 2);
        cv.Outline(pal::kOutline);
      } else {
        Mask g(173, 188);
        g.Ellipse(60, 70, 3, 3);
        Flat(cv, g, pal::kDemon.c[3]);
      }
      frames.push_back({cv, delay[f]});
    }
  }
  return EncodeGif(frames);
}

}  // namespace

Canvas OgrePreview() {
  Canvas cv(177, 142);
  OgrePose p;
  p.ox = 67, p.oy = 12, p.club = 150, p.lean = -6;
  DrawOgre(cv, p);
  cv.Outline(pal::kOutline);
  return cv;
}

Canvas WraithPreview() {
  Canvas cv(96, 176);
  WraithPose p;
  p.flap = 0.1;
  DrawWraith(cv, p);
  cv.Outline(pal::kOutline);
  return cv;
}

Bytes MonsterPicture(int kind, int suffix) {
  if (suffix != 1 && suffix != 2 && suffix != 3 && suffix != 5) throw std::runtime_error("no such monster picture");
  return kind == 4 ? Ogre(suffix) : Wraith(suffix);
}

}  // namespace assetgen
