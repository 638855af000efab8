// The program folder and whole-file reads. Paths arrive as the game builds them (GBK,
// backslashes) and are mapped to host paths by the platform.
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/values/arg_list.h"

namespace rt {
namespace {

std::string g_runDirectory;
bool g_runDirectorySet = false;

}  // namespace

void SetRunDirectory(std::string_view gbkFolder) {
  // The folder is given without a trailing separator; one left on would double up when
  // the game appends "\..." to it.
  while (gbkFolder.size() > 1 && (gbkFolder.back() == '/' || gbkFolder.back() == '\\'))
    gbkFolder.remove_suffix(1);
  g_runDirectory = std::string(gbkFolder);
  g_runDirectorySet = true;
}

const std::string& RunDirectory() {
  if (!g_runDirectorySet) SetRunDirectory(platform::Utf8ToGbk(platform::ProgramFolder()));
  return g_runDirectory;
}

std::vector<uint8_t> ReadFileBytes(std::string_view gbkPath) {
  if (gbkPath.empty()) return {};
  auto data = platform::ReadWholeFile(platform::HostPath(gbkPath));
  // An empty file, like one too big for a byte set, reads as the empty byte set.
  if (!data || data->size() > size_t(INT32_MAX)) return {};
  return std::move(*data);
}

namespace commands {

void RunDirectory(ArgRecord* result, int, ArgRecord*) { *result = ArgText(MakeText(rt::RunDirectory())); }

void ReadFileBytes(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgBytes(MakeBytes(rt::ReadFileBytes(ArgList(argc, args).Text(0))));
}

}  // namespace commands
}  // namespace rt
