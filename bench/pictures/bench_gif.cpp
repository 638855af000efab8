// Decoding animated GIFs into full 32-bit frames: the stage's decoder against giflib
// doing the same work (decode, compose each image onto the canvas with disposal and
// transparency, keep a copy of the canvas per frame). Prints ours/giflib per picture;
// a ratio at or below 1.0 is the target.
//
//   bench_pictures [--gif FILE]...   extra GIF files (the game's assets) are added
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include "stage/pictures/picture.h"
#include "tools/encoders/encoders.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- sample pictures, written through giflib by the shared encoders -------------------

Bytes EncodeGif(int width, int height, std::vector<encoders::GifFrame> frames) {
  // 256 distinct colours, so skipping by colour and by index agree.
  encoders::GifImage gif{.width = width, .height = height};
  for (uint32_t i = 0; i < 256; ++i) gif.palette.push_back(i << 16 | ((i * 7) & 255) << 8 | (255 - i));
  gif.frames = std::move(frames);
  return encoders::EncodeGif(gif);
}

// Smooth bands with noise on top: compresses like photographic frames do, badly.
std::vector<uint8_t> NoisyArea(std::mt19937& rng, int w, int h, int phase) {
  std::vector<uint8_t> px(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px[size_t(y) * w + x] = uint8_t(((x + phase) / 5 + y / 7) * 3 + rng() % 12);
  return px;
}

Bytes LargeAnimation() {
  std::mt19937 rng(42);
  std::vector<encoders::GifFrame> frames;
  for (int i = 0; i < 30; ++i) {
    if (i % 3 == 0) {
      frames.push_back({.width = 640, .height = 480, .indices = NoisyArea(rng, 640, 480, i * 9),
                        .delayCs = 4, .disposal = 1});
    } else {
      // A moving sub-rectangle with holes, put back or kept afterwards.
      encoders::GifFrame f{.left = 40 + i * 8, .top = 30 + i * 5, .width = 320, .height = 240,
                           .indices = NoisyArea(rng, 320, 240, i), .delayCs = 4,
                           .disposal = i % 2 ? 2 : 1, .transparentIndex = 0};
      for (size_t p = 0; p < f.indices.size(); p += 7) f.indices[p] = 0;
      frames.push_back(std::move(f));
    }
  }
  return EncodeGif(640, 480, frames);
}

// A walking-sprite sized animation: flat shapes on a transparent ground.
Bytes SpriteAnimation() {
  std::vector<encoders::GifFrame> frames;
  for (int i = 0; i < 8; ++i) {
    encoders::GifFrame f{.width = 96, .height = 96, .indices = std::vector<uint8_t>(96 * 96, 0),
                         .delayCs = 10, .disposal = 2, .transparentIndex = 0};
    for (int y = 10; y < 90; ++y)
      for (int x = 20 + i * 2; x < 70 + i * 2; ++x)
        f.indices[size_t(y) * 96 + x] = uint8_t(1 + ((x / 6 + y / 9) % 5) * 20);
    frames.push_back(std::move(f));
  }
  return EncodeGif(96, 96, frames);
}

// ---- the reference: giflib plus the same composition -----------------------------------

struct Reader {
  const Bytes* data;
  size_t pos = 0;
  static int Read(GifFileType* gif, GifByteType* out, int length) {
    auto* r = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min(size_t(length), r->data->size() - r->pos);
    std::memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
    return int(n);
  }
};

std::vector<std::vector<uint32_t>> DecodeWithGiflib(const Bytes& bytes) {
  Reader reader{&bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, Reader::Read, &error);
  std::vector<std::vector<uint32_t>> frames;
  if (!gif) return frames;
  if (DGifSlurp(gif) != GIF_OK) {
    DGifCloseFile(gif, &error);
    return frames;
  }
  const int w = gif->SWidth, h = gif->SHeight;
  std::vector<uint32_t> canvas(size_t(w) * h, 0xFFFFFFFFu), saved;
  int savedL = 0, savedT = 0, savedW = 0, savedH = 0;
  for (int i = 0; i < gif->ImageCount; ++i) {
    for (int y = 0; y < savedH; ++y)
      std::copy_n(saved.data() + size_t(y) * savedW, savedW,
                  canvas.data() + size_t(savedT + y) * w + savedL);
    savedH = 0;
    const SavedImage& img = gif->SavedImages[i];
    GraphicsControlBlock gcb{0, false, 0, NO_TRANSPARENT_COLOR};
    DGifSavedExtensionToGCB(gif, i, &gcb);
    const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
    uint32_t palette[256] = {};
    for (int c = 0; c < map->ColorCount && c < 256; ++c)
      palette[c] = (uint32_t(map->Colors[c].Red) << 16) | (uint32_t(map->Colors[c].Green) << 8) |
                   map->Colors[c].Blue;
    const int L = img.ImageDesc.Left, T = img.ImageDesc.Top;
    const int W = std::min(img.ImageDesc.Width, w - L), H = std::min(img.ImageDesc.Height, h - T);
    if (gcb.DisposalMode == DISPOSE_BACKGROUND || gcb.DisposalMode == DISPOSE_PREVIOUS) {
      savedL = L, savedT = T, savedW = W, savedH = H;
      saved.resize(size_t(W) * H);
      for (int y = 0; y < H; ++y)
        std::copy_n(canvas.data() + size_t(T + y) * w + L, W, saved.data() + size_t(y) * W);
    }
    for (int y = 0; y < H; ++y) {
      const GifByteType* src = img.RasterBits + size_t(y) * img.ImageDesc.Width;
      uint32_t* dst = canvas.data() + size_t(T + y) * w + L;
      for (int x = 0; x < W; ++x)
        if (src[x] != gcb.TransparentColor) dst[x] = palette[src[x]];
    }
    frames.push_back(canvas);
  }
  DGifCloseFile(gif, &error);
  return frames;
}

// ---- benchmarks --------------------------------------------------------------------------

std::map<std::string, Bytes>& Samples() {
  static std::map<std::string, Bytes> samples;
  return samples;
}

void BM_Ours(benchmark::State& state, const std::string& name) {
  const Bytes& bytes = Samples()[name];
  for (auto _ : state) {
    auto p = stage::DecodeGif(bytes, {});
    benchmark::DoNotOptimize(p);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_Giflib(benchmark::State& state, const std::string& name) {
  const Bytes& bytes = Samples()[name];
  for (auto _ : state) {
    auto frames = DecodeWithGiflib(bytes);
    benchmark::DoNotOptimize(frames);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// The two decoders must agree before their speeds mean anything.
bool SameFrames(const std::string& name) {
  const Bytes& bytes = Samples()[name];
  auto ours = stage::DecodeGif(bytes, {});
  auto ref = DecodeWithGiflib(bytes);
  if (!ours || ours->frames.size() != ref.size()) return false;
  for (size_t i = 0; i < ref.size(); ++i)
    if (!std::equal(ref[i].begin(), ref[i].end(), ours->frames[i].pixels.Data())) return false;
  return true;
}

// Prints ours / giflib per picture after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "mean")
        times_[r.benchmark_name()] = {r.GetAdjustedCPUTime(), r.GetAdjustedRealTime()};
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // CPU time is the fairer measure on a shared machine; wall time is shown beside it.
    for (const auto& [name, t] : times_) {
      const std::string prefix = "Ours/";
      if (name.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string rest = name.substr(prefix.size());
      auto ref = times_.find("Giflib/" + rest);
      if (ref == times_.end() || ref->second.first <= 0 || ref->second.second <= 0) continue;
      std::printf("ratio ours/giflib %-24s cpu %.3f  wall %.3f\n", rest.c_str(),
                  t.first / ref->second.first, t.second / ref->second.second);
    }
  }

 private:
  std::map<std::string, std::pair<double, double>> times_;  // cpu, wall
};

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  Samples()["large-640x480x30"] = LargeAnimation();
  Samples()["sprite-96x96x8"] = SpriteAnimation();
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--gif") == 0 && i + 1 < argc) {
      const char* path = argv[++i];
      const char* base = std::strrchr(path, '/');
      Samples()[base ? base + 1 : path] = ReadFile(path);
    } else {
      rest.push_back(argv[i]);
    }
  }
  for (const auto& [name, bytes] : Samples()) {
    if (!SameFrames(name)) {
      std::fprintf(stderr, "%s: our frames differ from giflib's; not timing it\n", name.c_str());
      continue;
    }
    benchmark::RegisterBenchmark(("Ours/" + name).c_str(), BM_Ours, name)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Giflib/" + name).c_str(), BM_Giflib, name)->Unit(benchmark::kMillisecond);
  }
  int n = int(rest.size());
  benchmark::Initialize(&n, rest.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
