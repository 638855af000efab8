#include "runtime/pictures/picture_loader.h"

#include "runtime/pictures/bmp_decoder.h"
#include "runtime/pictures/gif_first_image.h"
#include "runtime/pictures/gif_reader.h"
#include "runtime/pictures/ico_decoder.h"
#include "runtime/pictures/jpeg_decoder.h"
#include "runtime/pictures/pcx_decoder.h"

namespace rt {
namespace {

using Decoder = std::optional<platform::Surface> (*)(std::span<const uint8_t>);
struct Format {
  bool (*sniff)(std::span<const uint8_t>);
  Decoder decode;
};

// Tested in this order on the first bytes; the file name never matters.
constexpr Format kFormats[] = {
    {pictures::SniffBmp, pictures::DecodeBmp},
    {pictures::SniffJpeg, pictures::DecodeJpeg},
    {pictures::SniffIcon, pictures::DecodeIcon},
    {pictures::SniffCursor, pictures::DecodeIcon},
    {pictures::SniffGif, pictures::DecodeGifFirstImage},
    {pictures::SniffPcx256, pictures::DecodePcx},
    {pictures::SniffPcxMono, pictures::DecodePcx},
};

}  // namespace

std::optional<platform::Surface> LoadPicture(std::span<const uint8_t> bytes) {
  if (bytes.size() <= 5) return std::nullopt;
  for (const Format& f : kFormats) {
    if (!f.sniff(bytes)) continue;
    auto picture = f.decode(bytes);
    if (!picture || picture->Empty()) return std::nullopt;
    return picture;
  }
  return std::nullopt;
}

}  // namespace rt
