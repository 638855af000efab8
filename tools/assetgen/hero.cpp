// The hero: a young swordsman in a blue tunic with a red scarf and headband. All
// pictures face left (the stage mirrors them for flip 1) and keep his body centred on
// column 27 of the 54-wide standing picture, where his collision box sits (19..34).
#include <algorithm>
#include <cmath>

#include "tools/assetgen/art.h"
#include "tools/assetgen/palette.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979;
double Rad(double deg) { return deg * kPi / 180; }
// Angle from straight down; positive points forward (to the left).
double Dx(double deg, double len) { return -std::sin(Rad(deg)) * len; }
double Dy(double deg, double len) { return std::cos(Rad(deg)) * len; }

struct Pose {
  double cx = 27;          // body centre column
  double ground = 92;      // ankle line of the standing foot
  double lean = 0;         // torso lean, forward positive
  double nearThigh = 0, nearKnee = 0, farThigh = 0, farKnee = 0;  // knee: extra bend
  double nearArm = 0, nearElbow = 10, farArm = 0, farElbow = 10;
  double crouch = 0;       // extra hip drop
  double scarfWave = 0;    // 0..1 phase of the scarf tail
  bool swordOut = false;
  double swordAngle = 0;   // direction of the blade, same convention as limbs
  bool airborne = false;
  double hipY = 0;         // used when airborne
};

constexpr double kThigh = 18, kShin = 17, kTorso = 23;

struct Joints {
  double hipX, hipY, shX, shY, headX, headY;
};

Joints Solve(const Pose& p) {
  auto legDrop = [](double thigh, double knee) { return Dy(thigh, kThigh) + Dy(thigh - knee, kShin); };
  Joints j;
  j.hipX = p.cx;
  j.hipY = p.airborne ? p.hipY
                      : p.ground - std::max(legDrop(p.nearThigh, p.nearKnee), legDrop(p.farThigh, p.farKnee)) + p.crouch;
  j.shX = j.hipX + Dx(180 - p.lean, kTorso);
  j.shY = j.hipY - std::cos(Rad(p.lean)) * kTorso;
  j.headX = j.shX + Dx(180 - p.lean * 0.6, 13);
  j.headY = j.shY - 13 * std::cos(Rad(p.lean * 0.6));
  return j;
}

void Leg(Canvas& cv, const Joints& j, double thigh, double knee, bool far) {
  const Ramp pants = far ? pal::Darker(pal::kPants) : pal::kPants;
  const Ramp boot = far ? pal::Darker(pal::kLeather) : pal::kLeather;
  double kx = j.hipX + Dx(thigh, kThigh), ky = j.hipY + Dy(thigh, kThigh);
  double ax = kx + Dx(thigh - knee, kShin), ay = ky + Dy(thigh - knee, kShin);
  Mask m(cv.Width(), cv.Height());
  m.Capsule(j.hipX, j.hipY, kx, ky, 5, 4.2).Capsule(kx, ky, ax, ay, 4.2, 3.6);
  Shade(cv, m, pants);
  Mask b(cv.Width(), cv.Height());
  double bx = ax - Dx(thigh - knee, 7), by = ay - Dy(thigh - knee, 7);
  b.Capsule(bx, by, ax, ay, 4.3, 4.0);
  double fa = thigh - knee;  // the foot points forward, square to the shin
  b.Capsule(ax, ay + 0.5, ax + Dx(fa + 90, 6), ay + Dy(fa + 90, 6) + 0.5, 3.2, 2.6);
  Shade(cv, b, boot, 1);
}

void Arm(Canvas& cv, double sx, double sy, double arm, double elbow, bool far, double* handX, double* handY) {
  const Ramp sleeve = far ? pal::Darker(pal::kTunic) : pal::kTunic;
  const Ramp skin = far ? pal::Darker(pal::kSkin) : pal::kSkin;
  double ex = sx + Dx(arm, 12), ey = sy + Dy(arm, 12);
  double hx = ex + Dx(arm + elbow, 11), hy = ey + Dy(arm + elbow, 11);
  Mask up(cv.Width(), cv.Height());
  up.Capsule(sx, sy, ex, ey, 4.2, 3.4);
  Shade(cv, up, sleeve, 1);
  Mask fo(cv.Width(), cv.Height());
  fo.Capsule(ex, ey, hx, hy, 3.0, 2.6);
  Shade(cv, fo, skin, 1);
  Mask glove(cv.Width(), cv.Height());
  glove.Ellipse(hx, hy, 3.2, 3.2);
  Shade(cv, glove, far ? pal::Darker(pal::kLeather) : pal::kLeather, 1);
  if (handX) *handX = hx, *handY = hy;
}

void Sword(Canvas& cv, double hx, double hy, double angle) {
  // angle: direction the blade points (limb convention).
  double gx = hx + Dx(angle, 3), gy = hy + Dy(angle, 3);
  double tx = gx + Dx(angle, 30), ty = gy + Dy(angle, 30);
  Mask blade(cv.Width(), cv.Height());
  blade.Capsule(gx, gy, tx, ty, 2.2, 1.0);
  Shade(cv, blade, pal::kSteel, 1);
  Mask guard(cv.Width(), cv.Height());
  guard.Capsule(gx + Dx(angle + 90, 4), gy + Dy(angle + 90, 4), gx + Dx(angle - 90, 4), gy + Dy(angle - 90, 4), 1.6, 1.6);
  Shade(cv, guard, pal::kGold, 1);
  Mask hilt(cv.Width(), cv.Height());
  hilt.Capsule(hx - Dx(angle, 4), hy - Dy(angle, 4), hx, hy, 1.6, 1.6);
  Shade(cv, hilt, pal::kLeather, 1);
}

void Head(Canvas& cv, double hx, double hy, double wave, bool blink = false) {
  const int W = cv.Width(), H = cv.Height();
  // Scarf tail and headband ribbons stream backwards (to the right).
  Mask tails(W, H);
  double w1 = std::sin(wave * 2 * kPi) * 2.5;
  tails.Capsule(hx + 8, hy - 3, hx + 17, hy - 4 + w1, 1.8, 1.2).Capsule(hx + 8, hy - 2, hx + 15, hy + 1 - w1, 1.6, 1.0);
  Shade(cv, tails, pal::kScarf, 1);
  Mask face(W, H);
  face.Ellipse(hx, hy, 8.5, 9.5);
  Shade(cv, face, pal::kSkin, 2);
  Mask hair(W, H);
  hair.Polygon({hx - 9, hy - 2, hx - 7, hy - 9, hx - 2, hy - 12, hx + 1, hy - 14, hx + 4, hy - 11, hx + 9, hy - 12,
                hx + 8, hy - 8, hx + 12, hy - 6, hx + 10, hy - 2, hx + 12, hy + 3, hx + 8, hy + 3, hx + 9, hy + 8,
                hx + 5, hy + 6, hx + 2, hy + 1, hx - 2, hy - 4, hx - 5, hy - 2, hx - 7, hy + 1});
  Shade(cv, hair, pal::kHair, 2);
  Mask band(W, H);
  band.Capsule(hx - 8.5, hy - 4.5, hx + 8.5, hy - 3.5, 1.4, 1.4);
  band.Intersect(Mask(W, H).Ellipse(hx, hy - 1, 10, 12));
  Shade(cv, band, pal::kScarf, 1);
  // Eye, looking forward (left); a closed eye is one dark line.
  if (blink) {
    cv.Set(int(hx - 6), int(hy + 1), pal::kOutline);
    cv.Set(int(hx - 5), int(hy + 1), pal::kOutline);
  } else {
    for (int dy = -1; dy <= 1; ++dy) {
      cv.Set(int(hx - 6), int(hy + 1 + dy), pal::kOutline);
      cv.Set(int(hx - 5), int(hy + 1 + dy), pal::kOutline);
    }
    cv.Set(int(hx - 5), int(hy), pal::kEyeGlint);
    cv.Set(int(hx - 4), int(hy - 2), pal::kHair.c[0]);  // brow
    cv.Set(int(hx - 5), int(hy - 2), pal::kHair.c[0]);
    cv.Set(int(hx - 6), int(hy - 2), pal::kHair.c[0]);
  }
  cv.Set(int(hx - 8), int(hy + 5), pal::kSkin.c[1]);  // mouth corner
  cv.Set(int(hx + 2), int(hy + 2), pal::kSkin.c[1]);  // ear
  cv.Set(int(hx + 2), int(hy + 3), pal::kSkin.c[1]);
}

void Torso(Canvas& cv, const Joints& j, const Pose& p) {
  const int W = cv.Width(), H = cv.Height();
  Mask skirt(W, H);
  double sx = j.hipX, sy = j.hipY;
  skirt.Polygon({sx - 7, sy - 3, sx + 7, sy - 3, sx + 9, sy + 8, sx - 9, sy + 8});
  Mask body(W, H);
  body.Capsule(j.hipX, j.hipY - 3, j.shX, j.shY + 2, 7.0, 8.0);
  body.Polygon({sx - 7, sy - 3, sx + 7, sy - 3, sx + 9, sy + 8, sx - 9, sy + 8});
  Shade(cv, body, pal::kTunic, 2);
  Mask belt(W, H);
  belt.Rect(0, int(j.hipY - 5), W, 3).Intersect(body);
  Shade(cv, belt, pal::kLeather, 1);
  Mask buckle(W, H);
  buckle.Rect(int(j.hipX - 5), int(j.hipY - 5), 3, 3);
  Shade(cv, buckle, pal::kGold, 1);
  Mask scarf(W, H);
  scarf.Capsule(j.shX - 5, j.shY - 1, j.shX + 5, j.shY - 1, 3.2, 3.2);
  double w = std::sin(p.scarfWave * 2 * kPi) * 2;
  scarf.Capsule(j.shX + 4, j.shY - 1, j.shX + 13, j.shY + 3 + w, 2.4, 1.6);
  Shade(cv, scarf, pal::kScarf, 1);
}

void Scabbard(Canvas& cv, const Joints& j, bool withSword) {
  Mask s(cv.Width(), cv.Height());
  s.Capsule(j.hipX - 2, j.hipY - 2, j.hipX + 15, j.hipY + 14, 2.0, 1.6);
  Shade(cv, s, pal::kLeather, 1);
  if (withSword) {
    Mask h(cv.Width(), cv.Height());
    h.Capsule(j.hipX - 9, j.hipY - 8, j.hipX - 3, j.hipY - 3, 1.5, 1.5);
    Shade(cv, h, pal::kLeather, 1);
    Mask g(cv.Width(), cv.Height());
    g.Capsule(j.hipX - 4, j.hipY - 5, j.hipX - 1, j.hipY - 1, 1.4, 1.4);
    Shade(cv, g, pal::kGold, 1);
  }
}

// Draws the hero into `cv` with his body centred on p.cx.
void DrawHero(Canvas& cv, const Pose& p, bool blink = false) {
  Joints j = Solve(p);
  double hx, hy;
  Arm(cv, j.shX + 2, j.shY + 2, p.farArm, p.farElbow, true, nullptr, nullptr);
  Leg(cv, j, p.farThigh, p.farKnee, true);
  Scabbard(cv, j, !p.swordOut);
  Torso(cv, j, p);
  Leg(cv, j, p.nearThigh, p.nearKnee, false);
  Head(cv, j.headX, j.headY, p.scarfWave, blink);
  Arm(cv, j.shX - 1, j.shY + 2, p.nearArm, p.nearElbow, false, &hx, &hy);
  if (p.swordOut) Sword(cv, hx, hy, p.swordAngle);
  cv.Outline(pal::kOutline);
}

Pose WalkPose(int frame) {
  Pose p;
  double ph = frame * 2 * kPi / 8;
  p.nearThigh = 26 * std::sin(ph);
  p.farThigh = -26 * std::sin(ph);
  p.nearKnee = frame == 0 ? 0 : 38 * std::max(0.0, std::cos(ph)) + 6;
  p.farKnee = frame == 0 ? 0 : 38 * std::max(0.0, -std::cos(ph)) + 6;
  p.nearArm = -22 * std::sin(ph);
  p.farArm = 22 * std::sin(ph);
  p.nearElbow = 20 + 10 * std::max(0.0, -std::sin(ph));
  p.farElbow = 20 + 10 * std::max(0.0, std::sin(ph));
  p.lean = frame == 0 ? 2 : 6;
  p.scarfWave = frame / 8.0;
  if (frame == 0) p.nearArm = 4, p.farArm = -4, p.nearElbow = 14, p.farElbow = 14;
  return p;
}

}  // namespace

// 54 x 96, 8 frames: frame 0 stands, 1..7 continue the walk; the game steps through them
// itself (one frame per ten walking steps), so the delays only matter to viewers.
Bytes StandPicture() {
  std::vector<GifFrame> frames;
  for (int i = 0; i < 8; ++i) {
    Canvas cv(54, 96);
    DrawHero(cv, WalkPose(i));
    frames.push_back({cv, 100});
  }
  return EncodeGif(frames);
}

// 64 x 96, one frame: knees tucked, sword arm back. The body sits on column 32 so that
// it stays over the box both as drawn and mirrored (64 − 54 = 10 spare columns, 5 a side).
Bytes JumpPicture() {
  Canvas cv(64, 96);
  Pose p;
  p.cx = 32;
  p.airborne = true;
  p.hipY = 54;
  p.nearThigh = 50, p.nearKnee = 95, p.farThigh = 15, p.farKnee = 70;
  p.nearArm = 110, p.nearElbow = -50, p.farArm = -50, p.farElbow = 30;
  p.lean = 8;
  p.scarfWave = 0.25;
  DrawHero(cv, p);
  return EncodeGif({{cv, 100}});
}

namespace {
// The swing, shared by the attack and blade pictures. 112 x 105 placed at (x − 56, y + 3)
// facing left or (x, y + 3) mirrored: column 57 + c matches the standing hero's column c
// within one pixel both ways (56 facing left, 58 mirrored), and row r − 3 his row r.
constexpr int kSwingFrames = 7;
constexpr double kSwordAngles[kSwingFrames] = {205, 170, 125, 85, 60, 52, 50};
constexpr int kSwingDelays[kSwingFrames] = {70, 50, 40, 40, 60, 80, 80};

Pose SwingPose(int f) {
  Pose p;
  p.cx = 27 + 57;
  p.ground = 92 - 3;
  double a = kSwordAngles[f];
  p.swordOut = true;
  p.swordAngle = a;
  p.nearArm = std::min(170.0, a - 10);
  p.nearElbow = f == 0 ? -30 : 10;
  p.farArm = f < 2 ? 160 : 60;
  p.farElbow = 20;
  p.lean = f < 2 ? -6 : 14;
  p.nearThigh = 22, p.nearKnee = 18;
  p.farThigh = -20, p.farKnee = 4;
  p.crouch = f >= 3 ? 2 : 0;
  p.scarfWave = f / 7.0;
  return p;
}
}  // namespace

Bytes AttackPicture() {
  std::vector<GifFrame> frames;
  for (int f = 0; f < kSwingFrames; ++f) {
    Canvas cv(112, 105);
    DrawHero(cv, SwingPose(f));
    frames.push_back({cv, kSwingDelays[f]});
  }
  return EncodeGif(frames);
}

// The light of the sweep: an arc following the sword's tip, widest at the strike.
// Monsters are hit where it is drawn.
Bytes BladePicture() {
  std::vector<GifFrame> frames;
  for (int f = 0; f < kSwingFrames; ++f) {
    Canvas cv(112, 105);
    Pose p = SwingPose(f);
    Joints j = Solve(p);
    double sx = j.shX - 1, sy = j.shY + 2;
    auto tip = [&](double a, double reach) {
      double ex = sx + Dx(std::min(170.0, a - 10), 12), ey = sy + Dy(std::min(170.0, a - 10), 12);
      double hx = ex + Dx(std::min(170.0, a - 10) + 10, 11), hy = ey + Dy(std::min(170.0, a - 10) + 10, 11);
      return std::pair{hx + Dx(a, reach), hy + Dy(a, reach)};
    };
    if (f >= 1 && f <= 5) {
      // Trail from the previous angles to the current one; thicker at the head.
      double a1 = kSwordAngles[f], a0 = kSwordAngles[std::max(0, f - 2)];
      double fade = f == 5 ? 0.5 : 1.0;
      for (int layer = 0; layer < 3; ++layer) {
        Mask m(112, 105);
        int steps = 90;
        for (int s = 0; s <= steps; ++s) {
          double t = double(s) / steps, a = a0 + (a1 - a0) * t;
          auto [x, y] = tip(a, 24 + 6 * t);
          double r = (1.0 + 6.0 * t) * fade * (1.0 - 0.3 * layer);
          auto [x2, y2] = tip(a, 14 + 4 * t);
          m.Capsule(x2, y2, x, y, r * 0.5, r);
        }
        Flat(cv, m, pal::kLight.c[1 + layer]);
      }
      if (f == 3 || f == 4) {  // sparkle at the strike
        auto [x, y] = tip(kSwordAngles[f], 34);
        for (int k = -3; k <= 3; ++k) {
          cv.Set(int(x) + k, int(y), pal::kLight.c[3]);
          cv.Set(int(x), int(y) + k, pal::kLight.c[3]);
        }
      }
    } else if (f == 0) {
      auto [x, y] = tip(kSwordAngles[0], 30);
      Mask m(112, 105);
      m.Ellipse(x, y, 2, 2);
      Flat(cv, m, pal::kLight.c[2]);
    } else {
      auto [x, y] = tip(kSwordAngles[f], 30);
      Mask m(112, 105);
      m.Ellipse(x, y, 1.5, 1.5);
      Flat(cv, m, pal::kLight.c[1]);
    }
    frames.push_back({cv, kSwingDelays[f]});
  }
  return EncodeGif(frames);
}

// 84 x 96, placed at (x − 10, y + 12): he sits down cross-legged with the sword across
// his knees and breathes. Feet on row 83 (the standing feet line 95 − 12); the body is
// centred on column 42 so that it sits 5 pixels off either way when mirrored.
Bytes IdlePicture() {
  std::vector<GifFrame> frames;
  const int n = 6;
  for (int f = 0; f < n; ++f) {
    Canvas cv(84, 96);
    double breath = std::sin(f * 2 * kPi / n);
    Pose p;
    p.cx = 42;
    p.airborne = true;
    p.hipY = 73 - breath * 0.6;
    p.lean = 4 + 3 * breath;
    p.nearThigh = 84, p.nearKnee = 165, p.farThigh = 78, p.farKnee = 150;
    p.nearArm = 40, p.nearElbow = 40, p.farArm = 30, p.farElbow = 50;
    p.scarfWave = f / double(n);
    DrawHero(cv, p, f >= 2);
    // Dozing: a small "z" drifts up behind his head.
    int zx = 58 + f * 2, zy = 26 - f * 3;
    Mask z(84, 96);
    z.Rect(zx, zy, 5, 1).Rect(zx, zy + 4, 5, 1);
    for (int k = 0; k < 3; ++k) z.Put(zx + 3 - k, zy + 1 + k);
    Canvas zc(84, 96);
    Flat(zc, z, pal::kLight.c[3]);
    zc.Outline(pal::kOutline);
    if (f >= 1) cv.Paste(zc, 0, 0);
    frames.push_back({cv, f == 0 ? 400 : 250});
  }
  return EncodeGif(frames);
}

Canvas HeroPreview() {
  Canvas cv(112, 105);
  DrawHero(cv, SwingPose(3));
  return cv;
}

// 60 x 60 head-and-shoulders portrait in a framed panel (the HUD's top-left corner).
Bytes PortraitPicture() {
  Canvas cv(60, 60, Opaque(0x2A3A5A));
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x)
      if ((x + y) % 7 == 0 && y < 40) cv.Set(x, y, Opaque(0x30446A));
  Canvas big(30, 30);
  // Drawn at half size and doubled: the portrait shares the sprite's chunky pixels.
  Pose p;
  p.cx = 16;
  p.airborne = true;
  p.hipY = 48;
  Joints j = Solve(p);
  Canvas body(30, 30);
  {
    Canvas full(40, 70);
    Pose q = p;
    q.cx = 20;
    q.hipY = 62;
    q.nearArm = 10, q.farArm = -10;
    Joints jj = Solve(q);
    (void)jj;
    DrawHero(full, q);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) big.Set(x, y, full.At(x + 4, y + 12));
  }
  (void)j;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      Rgba c = big.At(x, y);
      if (c.a < 128) continue;
      for (int k = 0; k < 4; ++k) cv.Set(2 * x + k % 2, 2 * y + k / 2 + 2, c);
    }
  for (int i = 0; i < 60; ++i) {
    cv.Set(i, 0, pal::kOutline), cv.Set(i, 59, pal::kOutline), cv.Set(0, i, pal::kOutline), cv.Set(59, i, pal::kOutline);
    cv.Set(i, 1, pal::kGold.c[3]), cv.Set(1, i, pal::kGold.c[3]);
    cv.Set(i, 58, pal::kGold.c[1]), cv.Set(58, i, pal::kGold.c[1]);
  }
  for (int i = 1; i < 59; ++i) cv.Set(i, 1, pal::kGold.c[3]), cv.Set(58, i, pal::kGold.c[1]);
  return EncodePng(cv, true);
}

}  // namespace assetgen
