// A frame of the hero walking (the hero's and the ogre's steps, a bar of the HUD) shown
// in a 640 x 480 window (factor 1) and fullscreen on 1920 x 1080 (factor 2). The
// dirty-rectangle path copies and scales those areas into the output surface; the
// references present the whole frame: SDL's software renderer as the window used it
// (texture upload, clear, scaled copy) and our own copy of every pixel.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/present.h"

namespace {

using platform::Rect;

struct Scene {
  platform::Surface frame{640, 480};
  std::vector<Rect> dirty;
  SDL_Surface* output = nullptr;
  platform::Letterbox box;

  explicit Scene(int factor) {
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) frame.At(x, y) = 0xFF000000u | uint32_t(x * 977 + y * 131);
    // A walking step: the hero's old and new place, the ogre's, the hero's bar.
    for (const Rect& r : {Rect{300, 330, 372, 420}, Rect{460, 340, 530, 420}, Rect{10, 10, 130, 22}})
      platform::AddDirtyRect(dirty, r);
    const int w = factor == 1 ? 640 : 1920, h = factor == 1 ? 480 : 1080;
    output = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
    box = platform::FitWholeFactor(640, 480, w, h);
  }
  ~Scene() { SDL_FreeSurface(output); }
  void Copy(std::span<const Rect> rects) {
    benchmark::DoNotOptimize(platform::CopyScaledRects(frame, rects, box,
                                                       static_cast<uint32_t*>(output->pixels),
                                                       output->pitch / 4, output->w, output->h));
  }
};

void PresentDirtyRects(benchmark::State& state) {
  Scene scene(int(state.range(0)));
  for (auto _ : state) scene.Copy(scene.dirty);
  state.counters["rects"] = double(scene.dirty.size());
}

void PresentWholeFrameCopy(benchmark::State& state) {
  Scene scene(int(state.range(0)));
  const Rect all = scene.frame.Bounds();
  for (auto _ : state) scene.Copy(std::span<const Rect>(&all, 1));
}

void PresentWholeFrameSdlRenderer(benchmark::State& state) {
  Scene scene(int(state.range(0)));
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(scene.output);
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STREAMING, 640, 480);
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  const SDL_Rect dest{scene.box.dest.left, scene.box.dest.top, scene.box.dest.Width(),
                      scene.box.dest.Height()};
  for (auto _ : state) {
    SDL_UpdateTexture(texture, nullptr, scene.frame.Data(), 640 * 4);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &dest);
    SDL_RenderPresent(renderer);
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
}

BENCHMARK(PresentDirtyRects)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(PresentWholeFrameCopy)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(PresentWholeFrameSdlRenderer)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
