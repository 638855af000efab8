// PictureWidth and PictureHeight of a picture file. The runtime's picture loader reads
// bitmaps as well as the compressed formats, so decoding the file's bytes also covers
// loading it as a device-independent bitmap from disk: one pass answers both ways.
#include <optional>

#include "runtime/commands/commands.h"
#include "runtime/pictures/picture_loader.h"
#include "runtime/values/arg_list.h"

namespace rt {
namespace {

std::optional<platform::Surface> LoadPictureFile(std::string_view gbkPath) {
  const std::vector<uint8_t> data = ReadFileBytes(gbkPath);
  if (data.empty()) return std::nullopt;
  return LoadPicture(data);
}

}  // namespace

int32_t PictureWidth(std::string_view gbkPath) {
  const auto picture = LoadPictureFile(gbkPath);
  return picture ? picture->Width() : 0;
}

int32_t PictureHeight(std::string_view gbkPath) {
  const auto picture = LoadPictureFile(gbkPath);
  return picture ? picture->Height() : 0;
}

namespace commands {

void PictureWidth(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgInt(rt::PictureWidth(ArgList(argc, args).Text(0)));
}

void PictureHeight(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgInt(rt::PictureHeight(ArgList(argc, args).Text(0)));
}

}  // namespace commands
}  // namespace rt
