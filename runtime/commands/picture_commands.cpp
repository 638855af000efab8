// PictureWidth and PictureHeight of a picture file. The runtime's picture loader reads
// bitmaps as well as the compressed formats, so decoding the file's bytes also covers
// loading it as a device-independent bitmap from disk: one pass answers both ways.
#include <optional>

#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/pictures/picture_loader.h"

namespace rt::commands {
namespace {

std::optional<platform::Surface> LoadPictureFile(int argc, const ArgRecord* args) {
  const std::string_view path = argc > 0 ? TextView(AsText(args[0])) : std::string_view();
  if (path.empty()) return std::nullopt;
  const auto data = platform::ReadWholeFile(platform::HostPath(path));
  if (!data || data->empty()) return std::nullopt;
  return LoadPicture(*data);
}

}  // namespace

void PictureWidth(ArgRecord* result, int argc, ArgRecord* args) {
  const auto picture = LoadPictureFile(argc, args);
  *result = ArgInt(picture ? picture->Width() : 0);
}

void PictureHeight(ArgRecord* result, int argc, ArgRecord* args) {
  const auto picture = LoadPictureFile(argc, args);
  *result = ArgInt(picture ? picture->Height() : 0);
}

}  // namespace rt::commands
