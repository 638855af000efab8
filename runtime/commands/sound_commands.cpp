// PlaySound: built-in sound bytes, or a sound file by name, handed to the sound player.
#include "platform/process.h"
#include "platform/text.h"
#include "runtime/commands/commands.h"
#include "runtime/sound/sound.h"

namespace rt::commands {

void PlaySound(ArgRecord* result, int argc, ArgRecord* args) {
  *result = ArgBool(false);
  if (argc < 1) return;
  const int loop = argc > 1 && Present(args[1]) ? IntArg(args[1]) : 0;
  const ArgRecord& sound = args[0];
  if (sound.type == kTypeBytes) {
    const auto bytes = BytesView(AsAddress(sound));
    if (!bytes.empty()) *result = ArgBool(PlaySoundData(bytes, loop));
  } else if (sound.type == kTypeText) {
    const std::string_view name = TextView(AsText(sound));
    if (name.empty()) return;
    const auto data = platform::ReadWholeFile(platform::HostPath(name));
    if (data && !data->empty()) *result = ArgBool(PlaySoundData(*data, loop));
  }
}

}  // namespace rt::commands
