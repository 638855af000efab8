#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "tools/encoders/encoders.h"

namespace encoders {

namespace {

int Append(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};
struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

void Check(int result, const char* what) {
  if (result == GIF_ERROR) throw std::runtime_error(std::string("giflib: ") + what + " failed");
}

}  // namespace

Bytes EncodeGif(const GifImage& image) {
  if (image.frames.empty()) throw std::runtime_error("GIF without frames");
  if (image.palette.empty() || image.palette.size() > 256)
    throw std::runtime_error("GIF palette must hold 1 to 256 colours");
  int size = 2;  // giflib wants a power of two, and a table of one entry is not one
  while (size < int(image.palette.size())) size *= 2;
  std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(size, nullptr));
  if (!map) throw std::runtime_error("giflib: out of memory");
  for (int i = 0; i < size; ++i) {
    const uint32_t c = i < int(image.palette.size()) ? image.palette[size_t(i)] : 0;
    map->Colors[i] = {GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)};
  }

  Bytes out;
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&out, Append, &error));
  if (!gif) throw std::runtime_error("giflib: cannot open an encoder");
  EGifSetGifVersion(gif.get(), true);
  Check(EGifPutScreenDesc(gif.get(), image.width, image.height, map->BitsPerPixel,
                          image.backgroundIndex, map.get()),
        "screen descriptor");
  if (image.loop) {
    static const GifByteType app[] = "NETSCAPE2.0";
    static const GifByteType loopForEver[] = {1, 0, 0};
    Check(EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE), "application block");
    Check(EGifPutExtensionBlock(gif.get(), 11, app), "application block");
    Check(EGifPutExtensionBlock(gif.get(), 3, loopForEver), "application block");
    Check(EGifPutExtensionTrailer(gif.get()), "application block");
  }
  for (const GifFrame& f : image.frames) {
    const int w = f.width ? f.width : image.width, h = f.height ? f.height : image.height;
    if (f.indices.size() != size_t(w) * size_t(h))
      throw std::runtime_error("GIF frame: index count differs from its size");
    // giflib masks indices to the table's width; one outside the palette is a bug here.
    for (uint8_t v : f.indices)
      if (v >= size) throw std::runtime_error("GIF frame: index outside the palette");
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = f.disposal;
    gcb.UserInputFlag = false;
    gcb.DelayTime = f.delayCs;
    gcb.TransparentColor = f.transparentIndex < 0 ? NO_TRANSPARENT_COLOR : f.transparentIndex;
    GifByteType control[4];
    const size_t n = EGifGCBToExtension(&gcb, control);
    Check(EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(n), control), "control block");
    Check(EGifPutImageDesc(gif.get(), f.left, f.top, w, h, false, nullptr), "image descriptor");
    // EGifPutLine masks the line in place, so it gets a copy.
    std::vector<GifPixelType> line(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
      std::copy_n(f.indices.begin() + ptrdiff_t(size_t(y) * size_t(w)), w, line.begin());
      Check(EGifPutLine(gif.get(), line.data(), w), "image data");
    }
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) throw std::runtime_error("giflib: closing failed");
  return out;
}

}  // namespace encoders
