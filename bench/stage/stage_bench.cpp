// stage_bench: painting a full 640 x 480 stage against SDL's blended blit of the same
// sprites, and collision queries against the plain per-pixel scan. Prints the ratios
// after the usual benchmark table.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "platform/host.h"
#include "platform/window.h"
#include "stage/pictures/blit.h"
#include "stage/component/cartoon_box.h"
#include "stage/component/cartoon_object.h"
#include "stage/model/collision.h"
#include "stage/pictures/resource_pool.h"
#include "stage/pictures/sprite_cache.h"
#include "bench_pictures.h"
#include "tools/encoders/encoders.h"

using namespace stage;

namespace {

constexpr int kW = 640, kH = 480;

// ---- painting ------------------------------------------------------------------------

struct PaintScene {
  struct Item {
    SpritePtr sprite;
    int x, y, alpha;
  };
  std::vector<Item> items;
  platform::Surface background{kW, kH, 0xFF336699u};

  PaintScene() {
    std::mt19937 rng(7);
    for (int i = 0; i < 40; ++i) {
      const int size = 48 + int(rng() % 81);  // 48..128
      const bool keyed = i % 3 == 0, soft = i % 3 == 1;
      Picture p = stagebench::Disc(size, rng() & 0xFFFFFF, soft, keyed);
      if (i % 5 == 0) TintPicture(p, 0x0000FF, 40);  // tinted once, as rendering does
      const int alpha = (i % 4 == 0) ? 35 : 0;
      items.push_back({MakeSprite(std::move(p)), int(rng() % (kW - 64)), int(rng() % (kH - 64)),
                       alpha});
    }
  }
};

PaintScene& Scene() {
  static PaintScene s;
  return s;
}

void BM_StagePaint(benchmark::State& state) {
  PaintScene& s = Scene();
  platform::Surface buffer(kW, kH);
  for (auto _ : state) {
    std::copy_n(s.background.Data(), size_t(kW) * kH, buffer.Data());
    for (const auto& it : s.items) BlendSprite(buffer, {0, 0}, *it.sprite, 0, it.x, it.y, it.alpha);
    benchmark::DoNotOptimize(buffer.Data());
  }
}
BENCHMARK(BM_StagePaint)->Unit(benchmark::kMicrosecond);

void BM_SdlBlit(benchmark::State& state) {
  PaintScene& s = Scene();
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* bg = SDL_CreateRGBSurfaceWithFormatFrom(s.background.Data(), kW, kH, 32, kW * 4,
                                                       SDL_PIXELFORMAT_ARGB8888);
  SDL_SetSurfaceBlendMode(bg, SDL_BLENDMODE_NONE);
  std::vector<SDL_Surface*> sprites;
  std::vector<std::vector<uint32_t>> storage;
  for (const auto& it : s.items) {
    const PictureFrame& f = it.sprite->picture.frames[0];
    const bool keyed = f.key != kDefaultColour;
    // SDL wants real alpha: invert the transparency byte.
    std::vector<uint32_t> px(size_t(it.sprite->Width()) * it.sprite->Height());
    for (size_t i = 0; i < px.size(); ++i) px[i] = f.pixels.Data()[i] ^ 0xFF000000u;
    storage.push_back(std::move(px));
    SDL_Surface* sp = SDL_CreateRGBSurfaceWithFormatFrom(
        storage.back().data(), it.sprite->Width(), it.sprite->Height(), 32, it.sprite->Width() * 4,
        SDL_PIXELFORMAT_ARGB8888);
    if (keyed) {
      SDL_SetColorKey(sp, SDL_TRUE, 0xFFFF00FFu);
      SDL_SetSurfaceBlendMode(sp, it.alpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    } else {
      SDL_SetSurfaceBlendMode(sp, SDL_BLENDMODE_BLEND);
    }
    if (it.alpha) SDL_SetSurfaceAlphaMod(sp, Uint8(255 - it.alpha * 255 / 100));
    sprites.push_back(sp);
  }
  for (auto _ : state) {
    SDL_BlitSurface(bg, nullptr, target, nullptr);
    for (size_t i = 0; i < sprites.size(); ++i) {
      SDL_Rect at{s.items[i].x, s.items[i].y, 0, 0};
      SDL_BlitSurface(sprites[i], nullptr, target, &at);
    }
    benchmark::DoNotOptimize(target->pixels);
  }
  for (SDL_Surface* sp : sprites) SDL_FreeSurface(sp);
  SDL_FreeSurface(bg);
  SDL_FreeSurface(target);
}
BENCHMARK(BM_SdlBlit)->Unit(benchmark::kMicrosecond);

// ---- collision -------------------------------------------------------------------------

// A live stage with 100 same-layer objects and one mover, all 64 x 64 sprites whose
// solid part is a disc of radius 10 in a wide transparent margin, as GIF sprites
// usually are: bounding rectangles overlap often while solid pixels seldom do.
struct CollisionScene {
  std::unique_ptr<CartoonBox> box;
  std::unique_ptr<CartoonObject> tmpl;
  std::vector<int> ids;
  int mover = 0;

  CollisionScene() {
    platform::ResetForTesting();
    platform::CreateWindowParams top;
    top.rect = {0, 0, kW, kH};
    top.style = platform::WS_VISIBLE;
    rt::CreateInfo info;
    info.windowId = 1;
    info.componentId = 2;
    info.parent = platform::CreateWindow(top);
    info.rect = {0, 0, kW, kH};
    info.flags = 1;
    box = CartoonBox::Create(info);
    CartoonBox::SetEventSink([](rt::EventRecord&) { return false; });
    std::mt19937 rng(3);
    for (int i = 0; i < 100; ++i) {
      const int id = box->CreateObject(nullptr, rng() % (kW - 64), rng() % (kH - 64));
      ids.push_back(id);
    }
    mover = box->CreateObject(nullptr, 0, 0);
    std::vector<uint8_t> none;
    for (int id : ids) Ring(id, 2);
    Ring(mover, 1);
  }

  void Ring(int id, int type) {
    // The object gets its picture through SetObjectText-free means: a decoded sprite
    // placed directly is not possible through commands, so give it a GIF.
    static const std::vector<uint8_t> gif = MakeRingGif();
    box->SetObjectPicture(id, gif);
    box->SetTypeValue(id, type);
    box->SetCollision(id, true);
  }

  static std::vector<uint8_t> MakeRingGif();
};

std::vector<uint8_t> CollisionScene::MakeRingGif() {
  // 64 x 64 with a centred solid disc of radius 10 in a wide transparent margin.
  constexpr int n = 64;
  encoders::GifImage gif{.width = n, .height = n, .palette = {0x00FF01, 0xC82828}};
  encoders::GifFrame disc;
  disc.transparentIndex = 0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const double dx = x + 0.5 - n / 2.0, dy = y + 0.5 - n / 2.0;
      disc.indices.push_back(dx * dx + dy * dy <= 10.0 * 10.0 ? 1 : 0);
    }
  gif.frames.push_back(std::move(disc));
  return encoders::EncodeGif(gif);
}

CollisionScene& Collisions() {
  static CollisionScene s;
  return s;
}

// Each pair runs the same stage operation, once with the solid masks and once with
// the plain per-pixel scans; events, invalidation and list walks are the same in both.
template <bool kReference>
void BM_ForwardMoveWith(benchmark::State& state) {
  CollisionScene& s = Collisions();
  CartoonBox::SetReferenceScans(kReference);
  int step = 0;
  for (auto _ : state) {
    const int x = (step * 7) % (kW - 64), y = (step * 13) % (kH - 64);
    benchmark::DoNotOptimize(s.box->ForwardMove(s.mover, x, y));
    ++step;
  }
  CartoonBox::SetReferenceScans(false);
}
void BM_ForwardMove(benchmark::State& s) { BM_ForwardMoveWith<false>(s); }
void BM_ForwardMoveReference(benchmark::State& s) { BM_ForwardMoveWith<true>(s); }
BENCHMARK(BM_ForwardMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ForwardMoveReference)->Unit(benchmark::kMicrosecond);

template <bool kReference>
void BM_FindOverlappingWith(benchmark::State& state) {
  CollisionScene& s = Collisions();
  CartoonBox::SetReferenceScans(kReference);
  int step = 0;
  for (auto _ : state) {
    const int x = (step * 11) % (kW - 64), y = (step * 5) % (kH - 64);
    benchmark::DoNotOptimize(s.box->FindOverlapping(s.mover, x, y));
    ++step;
  }
  CartoonBox::SetReferenceScans(false);
}
void BM_FindOverlapping(benchmark::State& s) { BM_FindOverlappingWith<false>(s); }
void BM_FindOverlappingReference(benchmark::State& s) { BM_FindOverlappingWith<true>(s); }
BENCHMARK(BM_FindOverlapping)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindOverlappingReference)->Unit(benchmark::kMicrosecond);

// ---- the stage's picture cache ---------------------------------------------------------

// A monster-sized animated GIF (173 x 188, six frames, a transparent outside), as the
// game loads on every swing and hurt.
const std::vector<uint8_t>& MonsterGif() {
  static const std::vector<uint8_t> bytes = [] {
    encoders::GifImage g;
    g.width = 173;
    g.height = 188;
    for (int i = 0; i < 32; ++i) g.palette.push_back(uint32_t(i * 0x070503));
    std::mt19937 rng(11);
    for (int f = 0; f < 6; ++f) {
      encoders::GifFrame fr;
      fr.delayCs = 8;
      fr.transparentIndex = 0;
      fr.indices.resize(size_t(g.width) * g.height);
      for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
          const int dx = x - 86 - f * 3, dy = y - 94;
          fr.indices[size_t(y) * g.width + x] =
              dx * dx + dy * dy < 80 * 80 ? uint8_t(1 + (x / 9 + y / 7 + int(rng() % 2)) % 31) : 0;
        }
      g.frames.push_back(std::move(fr));
    }
    return encoders::EncodeGif(g);
  }();
  return bytes;
}

void BM_DecodePicture(benchmark::State& state) {
  for (auto _ : state) {
    auto p = DecodePicture(MonsterGif(), {});
    benchmark::DoNotOptimize(MakeSprite(std::move(*p)));
  }
}
BENCHMARK(BM_DecodePicture)->Unit(benchmark::kMicrosecond);

void BM_DecodePictureCached(benchmark::State& state) {
  SpriteCache cache;
  ResourcePool pool;
  DecodeSpriteCached(cache, pool, MonsterGif(), {});
  for (auto _ : state) benchmark::DoNotOptimize(DecodeSpriteCached(cache, pool, MonsterGif(), {}));
}
BENCHMARK(BM_DecodePictureCached)->Unit(benchmark::kMicrosecond);

// One step of the hurt pulse on the hero's swing (112 x 105, seven frames): the tinted
// copy rendered afresh, or found again.
const SpritePtr& SwingSprite() {
  static const SpritePtr s = [] {
    std::mt19937 rng(5);
    Picture wide;
    wide.width = 112;
    wide.height = 105;
    for (int f = 0; f < 7; ++f) {
      PictureFrame fr;
      fr.key = 0x00FF00;
      fr.pixels = platform::Surface(112, 105, platform::ToPixel(0x00FF00) & 0x00FFFFFFu);
      for (int y = 0; y < 105; ++y)
        for (int x = 0; x < 100; ++x)
          if ((x - 50) * (x - 50) + (y - 52) * (y - 52) < 48 * 48)
            fr.pixels.At(x + f, y) = rng() & 0x00FFFFFFu;
      wide.frames.push_back(std::move(fr));
    }
    return MakeSprite(std::move(wide));
  }();
  return s;
}

void BM_TintRender(benchmark::State& state) {
  for (auto _ : state) {
    Picture p = SwingSprite()->picture;
    TintPicture(p, 0x0000FF, 36);
    benchmark::DoNotOptimize(MakeSprite(std::move(p)));
  }
}
BENCHMARK(BM_TintRender)->Unit(benchmark::kMicrosecond);

void BM_TintRenderCached(benchmark::State& state) {
  SpriteCache cache;
  RenderSettings settings;
  settings.trendColour = 0x0000FF;
  settings.trendDepth = 36;
  Picture p = SwingSprite()->picture;
  TintPicture(p, 0x0000FF, 36);
  cache.Store(RenderKey(*SwingSprite(), settings), MakeSprite(std::move(p)), SwingSprite());
  for (auto _ : state)
    benchmark::DoNotOptimize(cache.Find(RenderKey(*SwingSprite(), settings)));
}
BENCHMARK(BM_TintRenderCached)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* ours, const char* ref) {
    if (!reporter.times.count(ours) || !reporter.times.count(ref)) return;
    std::printf("%-22s / %-28s = %.3f\n", ours, ref, reporter.times[ours] / reporter.times[ref]);
  };
  std::printf("\nRatios (time of ours / time of reference):\n");
  ratio("BM_StagePaint", "BM_SdlBlit");
  std::printf("Speed-ups (reference / ours):\n");
  auto speedup = [&](const char* ours, const char* ref) {
    if (!reporter.times.count(ours) || !reporter.times.count(ref)) return;
    std::printf("%-28s / %-22s = %.1fx\n", ref, ours, reporter.times[ref] / reporter.times[ours]);
  };
  speedup("BM_ForwardMove", "BM_ForwardMoveReference");
  speedup("BM_FindOverlapping", "BM_FindOverlappingReference");
  speedup("BM_DecodePictureCached", "BM_DecodePicture");
  speedup("BM_TintRenderCached", "BM_TintRender");
  return 0;
}
