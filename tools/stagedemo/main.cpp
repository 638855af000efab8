// tolvaran-stagedemo: the sprite stage on its own.
//
//   tolvaran-stagedemo [--scene walk|layers|game] [--headless] [--script FILE] [--run-for MS]
//                      [--screenshot MS:FILE.png]...
//
// "walk": a figure steered by watched keys (Left, Right, Space to jump) over a ground
// strip and four platforms, picking up spinning coins by collision; the border and
// collision events it meets are printed as they happen.
// "layers": a tiled background picture under animated GIF objects on four layers with
// alpha, tint, zoom and a text object.
// "game": the game's own pictures: the JPEG stage background, the hero's walk, swing and
// idle GIFs and the two monsters (read from the picture folder beside the program), on
// several layers with alpha, tint and mirroring.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/host.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/window.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"
#include "runtime/forms/font_value.h"
#include "demo_pictures.h"
#include "game_pictures.h"

using namespace stage;
using stagedemo::MakeBmp;
using stagedemo::MakeGif;

namespace {

constexpr int kW = 640, kH = 480;
constexpr uint32_t kGravityTimer = 7;

struct Demo {
  platform::HWND top = 0;
  std::unique_ptr<CartoonBox> box;
  std::vector<std::unique_ptr<CartoonObject>> templates;
  // walk scene
  int hero = 0;
  double vy = 0;
  bool onGround = false;
  int steps = 0;
  int coins = 0, collected = 0, borderHits = 0, outOfBorder = 0;
};
Demo g;

CartoonObject* Template(std::vector<uint8_t> picture, TemplateSettings s = {}) {
  s.picture = std::move(picture);
  g.templates.push_back(std::make_unique<CartoonObject>(std::move(s)));
  return g.templates.back().get();
}

void Log(const char* what, int a = 0, int b = 0, int c = 0) {
  std::printf("t=%-6u %-14s %d %d %d\n", platform::GetTickCount(), what, a, b, c);
}

// ---- walk scene ---------------------------------------------------------------------

bool Blocked(double x, double y) {
  return g.box->FindOverlapping(g.hero, int(x), int(y), std::string("platform")) != -1;
}

void Respawn() {
  g.box->SetPosition(g.hero, 40, 360);
  g.vy = 0;
}

void OnWatchedKey(int key) {
  if (key == platform::VK_SPACE) {
    if (g.onGround) g.vy = -14;
    return;
  }
  const int dx = key == platform::VK_RIGHT ? 3 : -3;
  g.box->SetTurnType(g.hero, dx > 0 ? 1 : 0);
  if (++g.steps % 4 == 0) g.box->NextFrame(g.hero);
  const StageObject* h = g.box->FindObject(g.hero);
  if (!h || Blocked(h->x + dx, h->y)) return;
  g.box->SetPosition(g.hero, h->x + dx, h->y, /*forward*/ true);
}

void Gravity() {
  const StageObject* h = g.box->FindObject(g.hero);
  if (!h) return;
  g.vy = std::min(g.vy + 1.0, 10.0);
  const double x = h->x, y = h->y;
  if (g.vy > 0 && Blocked(x, y + g.vy)) {
    double ny = y;
    while (!Blocked(x, ny + 1)) ny += 1;  // settle on the surface
    g.box->SetPosition(g.hero, x, ny);
    if (!g.onGround) Log("landed", int(x), int(ny));
    g.vy = 0;
    g.onGround = true;
    return;
  }
  if (g.vy < 0 && Blocked(x, y + g.vy)) {
    g.vy = 0;
    return;
  }
  g.onGround = false;
  g.box->SetPosition(g.hero, x, y + g.vy, /*forward*/ true);
}

bool OnStageEvent(rt::EventRecord& ev) {
  switch (ev.eventIndex) {
    case kWatchedKeyDown:
      OnWatchedKey(WatchedKeyEvent::From(ev).key);
      return true;
    case kObjectCollided: {
      const CollisionEvent e = CollisionEvent::From(ev);
      Log("collided", e.object, e.other);
      if (g.box->FindObject(e.other) && g.box->FindObject(e.other)->type == 3) {
        const int ids[] = {e.other};
        g.box->DestroyObjects(ids);  // destroyed inside the collision event
        ++g.collected;
      }
      return true;
    }
    case kBorderHit: {
      const BorderHitEvent e = BorderHitEvent::From(ev);
      ++g.borderHits;
      Log("border-hit", e.object, e.borders);
      // Stay inside: go back to where the move started.
      g.box->SetPosition(e.object, e.oldX, g.box->FindObject(e.object)->y);
      return true;
    }
    case kOutOfBorder:
      ++g.outOfBorder;
      Log("out-of-border", ObjectEvent::From(ev).object);
      Respawn();
      return true;
    default:
      return false;
  }
}

std::vector<uint8_t> Block(int w, int h) {
  return MakeGif(w, h, 1, 0, [h](int, int x, int y) -> int64_t {
    if (y < 4) return 0x33AA33;                          // grass
    return ((x / 8 + y / 8) % 2) ? 0x885522 : 0x774411;  // earth
  });
}

void BuildWalk() {
  rt::PropValue v;
  v.bytes = MakeBmp(64, 48, [](int, int y) {
    const uint32_t t = uint32_t(y * 255 / 47);
    return (uint32_t(120 + t / 4) << 16) | (uint32_t(170 + t / 4) << 8) | 255u;
  });
  g.box->WriteProperty(kStPic, v);
  v.i = 1;  // stretched
  g.box->WriteProperty(kStPicDrawMode, v);

  const struct { int x, y, w, h; } blocks[] = {
      {0, 448, 640, 32}, {120, 370, 120, 16}, {300, 300, 120, 16}, {470, 230, 120, 16},
      {260, 150, 100, 16}};
  for (const auto& b : blocks) {
    const int id = g.box->CreateObject(Template(Block(b.w, b.h)), b.x, b.y, true, "platform");
    g.box->SetTypeValue(id, 2);
  }

  TemplateSettings coin;
  coin.collideAllowed = true;
  coin.type = 3;
  coin.playGif = true;
  CartoonObject* coinT = Template(MakeGif(16, 16, 4, 8, [](int f, int x, int y) -> int64_t {
    const double half = std::abs(std::cos(f * 3.14159 / 4)) * 7 + 1;
    const double dx = x + 0.5 - 8, dy = y + 0.5 - 8;
    if (std::abs(dx) > half || dx * dx / (half * half) + dy * dy / 64 > 1) return -1;
    return std::abs(dx) > half - 1.5 ? 0xAA7700 : 0xFFCC00;
  }), coin);
  const int coinAt[][2] = {{170, 340}, {200, 340}, {350, 270}, {380, 270},
                           {520, 200}, {550, 200}, {300, 120}, {600, 420}};
  for (const auto& c : coinAt) {
    g.box->CreateObject(coinT, c[0], c[1]);
    ++g.coins;
  }

  TemplateSettings heroS;
  heroS.collideAllowed = true;
  heroS.type = 1;
  CartoonObject* heroT = Template(MakeGif(24, 32, 2, 0, [](int f, int x, int y) -> int64_t {
    const int dx = x - 12;
    if (y < 10) return (dx * dx + (y - 5) * (y - 5) <= 25) ? 0xF0C090 : -1;  // head
    if (y < 10 + 1 && x < 6) return -1;
    if (y < 24) return (x >= 4 && x < 20) ? (x < 8 ? 0x2244AA : 0x3366DD) : -1;  // body
    const bool left = (f == 0) ? (x >= 5 && x < 10) : (x >= 7 && x < 12);
    const bool right = (f == 0) ? (x >= 14 && x < 19) : (x >= 12 && x < 17);
    return (left || right) ? 0x333333 : -1;  // legs
  }), heroS);
  g.hero = g.box->CreateObject(heroT, 40, 360);

  TemplateSettings cloudS;
  cloudS.alpha = 45;
  cloudS.layer = 1;
  CartoonObject* cloudT = Template(MakeGif(120, 40, 1, 0, [](int, int x, int y) -> int64_t {
    const double a = (x - 60) / 60.0, b = (y - 22) / 18.0;
    return a * a + b * b <= 1 ? 0xFFFFFF : -1;
  }), cloudS);
  g.box->CreateObject(cloudT, 60, 40);
  g.box->CreateObject(cloudT, 400, 80);

  const int keys[] = {platform::VK_LEFT, platform::VK_RIGHT, platform::VK_SPACE};
  g.box->MonitorKeys(10, keys);
  platform::SetTimer(g.top, kGravityTimer, 20);
}

// ---- layers scene ---------------------------------------------------------------------

std::vector<uint8_t> Spinner(int size, uint32_t a, uint32_t b) {
  return MakeGif(size, size, 8, 6, [=](int f, int x, int y) -> int64_t {
    const double dx = x + 0.5 - size / 2.0, dy = y + 0.5 - size / 2.0;
    if (dx * dx + dy * dy > size * size / 4.0) return -1;
    const double ang = std::atan2(dy, dx) + f * 3.14159 / 4;
    return std::sin(ang * 3) > 0 ? a : b;
  });
}

void BuildLayers() {
  rt::PropValue v;
  v.bytes = MakeBmp(80, 60, [](int x, int y) {
    const bool check = ((x / 20) + (y / 20)) % 2;
    const uint32_t shade = uint32_t(90 + y);
    return check ? (shade << 16) | (shade << 8) | 0x60u : 0x203050u + uint32_t(x);
  });
  g.box->WriteProperty(kStPic, v);
  v.i = 3;  // tiled
  g.box->WriteProperty(kStPicDrawMode, v);

  TemplateSettings s;
  s.playGif = true;
  CartoonObject* base = Template(Spinner(72, 0xFF3333, 0xFFEE44), s);
  for (int i = 0; i < 6; ++i) g.box->CreateObject(base, 40 + i * 95, 60 + (i % 2) * 40);

  s.layer = 1;
  s.alpha = 40;
  s.trendColor = 0x0000FF;  // COLORREF red
  s.trendDepth = 50;
  CartoonObject* mid = Template(Spinner(96, 0x33CC33, 0x2222AA), s);
  for (int i = 0; i < 5; ++i) g.box->CreateObject(mid, 10 + i * 120, 150 + (i % 2) * 30);

  s.layer = 2;
  s.alpha = 70;
  s.trendColor = 0xFF0000;  // COLORREF blue
  s.zoom = 1500;
  CartoonObject* top = Template(Spinner(64, 0xFFFFFF, 0xFF8800), s);
  for (int i = 0; i < 4; ++i) g.box->CreateObject(top, 30 + i * 150, 260);

  const int label = g.box->CreateObject(nullptr, 20, 420);
  g.box->SetLayer(label, 3);
  rt::FontValue font;
  font.size = 20;
  font.bold = true;
  font.face = platform::gbk("黑体");
  const platform::LogFont lf = rt::LogFontFromFont(font);
  g.box->SetObjectText(label, platform::gbk("动画框 layers: alpha 0 / 40 / 70, tint, zoom"), &lf,
                       0xFFFFFF);
}

// ---- game scene -------------------------------------------------------------------------

std::vector<uint8_t> Bytes(std::span<const uint8_t> s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> ProgramFile(const char* relative) {
  auto bytes = platform::ReadWholeFile(platform::ProgramFolder() + "/" + relative);
  return bytes ? *bytes : std::vector<uint8_t>{};
}

void BuildGameScene() {
  namespace assets = stagedemo::game_pictures;
  rt::PropValue v;
  v.bytes = Bytes(assets::StageBackground());
  g.box->WriteProperty(kStPic, v);

  TemplateSettings s;
  s.playGif = true;
  s.layer = 1;
  // The walking hero, facing left and (mirrored) right.
  CartoonObject* walk = Template(Bytes(assets::StandPicture()), s);
  g.box->CreateObject(walk, 250, 376);
  const int right = g.box->CreateObject(walk, 320, 376);
  g.box->SetTurnType(right, 1);
  // A half-transparent, red-tinted swing and the idle pose under it on a lower layer.
  s.layer = 2;
  s.alpha = 40;
  s.trendColor = 0x0000FF;
  s.trendDepth = 45;
  g.box->CreateObject(Template(Bytes(assets::AttackPicture()), s), 400, 367);
  s.layer = 0;
  s.alpha = 0;
  s.trendDepth = 0;
  g.box->CreateObject(Template(Bytes(assets::IdlePicture()), s), 120, 376);
  // The monsters, when the picture folder is beside the program.
  s.layer = 1;
  s.alpha = 0;
  if (auto ogre = ProgramFile("怪物图片/4-2.gif"); !ogre.empty())
    g.box->CreateObject(Template(std::move(ogre), s), 490, 343);
  s.alpha = 30;
  s.trendColor = 0xFF8040;
  s.trendDepth = 30;
  if (auto wraith = ProgramFile("怪物图片/5-2.gif"); !wraith.empty())
    g.box->CreateObject(Template(std::move(wraith), s), 60, 20);
}

int64_t TopProc(platform::HWND h, uint32_t msg, uint64_t wp, int64_t lp) {
  if (msg == platform::WM_TIMER && wp == kGravityTimer) {
    Gravity();
    return 0;
  }
  if (msg == platform::WM_CLOSE) {
    platform::PostQuitMessage(0);
    return 0;
  }
  return platform::DefWindowProc(h, msg, wp, lp);
}

void Summary() {
  if (g.hero) {
    std::printf("hero at %d,%d; coins %d of %d; border hits %d; out of border %d\n",
                g.box->GetX(g.hero), g.box->GetY(g.hero), g.collected, g.coins, g.borderHits,
                g.outOfBorder);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::string scene = "walk";
  platform::HostOptions host;
  std::string error;
  platform::OptionReader reader(args);
  while (reader.Next()) {
    if (reader.Option() == "--scene") {
      if (!reader.Value(scene, error)) break;
      if (scene != "walk" && scene != "layers" && scene != "game") {
        error = "--scene takes walk, layers or game";
        break;
      }
    } else if (auto read = platform::ReadHostOption(reader, host, error)) {
      if (!*read) break;
    } else {
      error = reader.Unknown();
      break;
    }
  }
  if (!error.empty()) {
    std::fprintf(stderr, "tolvaran-stagedemo: %s\n", error.c_str());
    return 2;
  }
  if (host.headless && !host.runForMs) {
    uint32_t last = 3000;
    for (const auto& k : host.script) last = std::max(last, k.timeMs);
    for (const auto& s : host.screenshots) last = std::max(last, s.timeMs);
    host.runForMs = last;
  }
  if (auto failure = platform::Init(host)) {
    std::fprintf(stderr, "tolvaran-stagedemo: %s\n", failure->c_str());
    return 1;
  }
  platform::SetRunForHandler([] {
    Summary();
    platform::ExitProcess(0);
  });

  platform::CreateWindowParams p;
  p.title = "Tolvaran stage demo";
  p.rect = {100, 100, 100 + kW, 100 + kH};
  p.style = platform::WS_VISIBLE | platform::WS_CAPTION | platform::WS_SYSMENU;
  p.proc = TopProc;
  g.top = platform::CreateWindow(p);
  rt::CreateInfo info;
  info.windowId = 1;
  info.componentId = 2;
  info.typeCode = kCartoonBoxType;
  info.parent = g.top;
  info.rect = {0, 0, kW, kH};
  info.flags = 1;
  g.box = CartoonBox::Create(info);
  if (!g.box) {
    std::fprintf(stderr, "tolvaran-stagedemo: the stage could not be created\n");
    return 1;
  }
  CartoonBox::SetEventSink(OnStageEvent);
  if (scene == "walk") {
    BuildWalk();
  } else if (scene == "layers") {
    BuildLayers();
  } else {
    BuildGameScene();
  }
  platform::SetFocus(g.top);

  platform::Message m;
  while (platform::GetMessage(m)) platform::DispatchMessage(m);
  Summary();
  g.box.reset();
  platform::ExitProcess(0);
}
