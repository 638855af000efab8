// The program folder and whole-file reads. Paths arrive as the game builds them (GBK,
// backslashes) and are mapped to host paths by the platform.
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"

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

const std::string& GetRunDirectory() {
  if (!g_runDirectorySet) SetRunDirectory(platform::Utf8ToGbk(platform::ProgramFolder()));
  return g_runDirectory;
}

namespace commands {

void RunDirectory(ArgRecord* result, int, ArgRecord*) { *result = ArgText(MakeText(GetRunDirectory())); }

void ReadFileBytes(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgBytes(nullptr);
  const std::string_view path = argc > 0 ? TextView(AsText(args[0])) : std::string_view();
  if (path.empty()) return;
  const auto data = platform::ReadWholeFile(platform::HostPath(path));
  if (!data) return;
  // An empty file, like one too big for a byte set, reads as the empty byte set.
  *result = ArgBytes(MakeBytes(*data));
}

}  // namespace commands
}  // namespace rt
