// PlaySound: built-in sound bytes, or a sound file by name, handed to the sound player.
#include "runtime/commands/commands.h"
#include "runtime/sound/sound.h"
#include "runtime/values/arg_list.h"

namespace rt {

bool PlaySound(std::span<const uint8_t> data, int32_t loop) {
  return !data.empty() && PlaySoundData(data, loop);
}

bool PlaySoundFile(std::string_view gbkPath, int32_t loop) {
  return PlaySound(ReadFileBytes(gbkPath), loop);
}

namespace commands {

// Any argument that is neither a byte set nor a file name plays nothing.
void PlaySound(ArgRecord* result, int argc, ArgRecord* args) {
  const ArgList a(argc, args);
  const int32_t loop = a.Int(1);
  const uint32_t type = a[0].type;
  *result = ArgBool(type == kTypeBytes  ? rt::PlaySound(a.Bytes(0), loop)
                    : type == kTypeText ? rt::PlaySoundFile(a.Text(0), loop)
                                        : false);
}

}  // namespace commands
}  // namespace rt
