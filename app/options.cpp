#include "app/options.h"

#include "app/random_play.h"
#include "platform/command_line.h"

namespace app {

namespace {

CommandLine g_commandLine;

bool Parse(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  platform::OptionReader reader(args);
  while (reader.Next()) {
    const std::string& opt = reader.Option();
    if (opt == "--help" || opt == "-h") {
      if (!reader.Flag(error)) return false;
      out.showHelp = true;
    } else if (opt == "--dump-state") {
      std::string v;
      if (!reader.Value(v, error)) return false;
      if (auto why = platform::CheckWritable(v)) {
        error = "--dump-state: " + *why;
        return false;
      }
      out.dumpStatePath = platform::AbsolutePath(v);
    } else if (opt == "--random-play") {
      std::string v;
      if (!reader.Value(v, error)) return false;
      uint64_t seed = 0;
      if (!platform::ParseWholeNumber(v, seed)) {
        error = "--random-play needs a whole number as its seed, not '" + v + "'";
        return false;
      }
      out.host.keySource = std::make_shared<RandomPlayer>(seed);
    } else if (auto read = platform::ReadHostOption(reader, out.host, error)) {
      if (!*read) return false;
    } else {
      error = reader.Unknown();
      return false;
    }
  }
  // The random player never runs out of keys, so a headless run would never end.
  if (out.host.keySource && out.host.headless && !out.host.runForMs) {
    error = "--random-play with --headless needs --run-for";
    return false;
  }
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  out = CommandLine{};
  if (Parse(args, out, error)) return true;
  // The message quotes the words and script lines it refuses, which may hold anything.
  error = platform::OneLine(error);
  return false;
}

std::string UsageText() {
  return "usage: tolvaran [options]\n"
         "  --headless               virtual clock, no display or audio device\n"
         "  --script FILE            timed input; each line: MS down|up KEY\n"
         "                           (KEY: Left Right Up Down Space Return Escape Tab\n"
         "                           A..Z 0..9 F1..F12, or a decimal key code)\n"
         "  --run-for MS             end with exit code 0 after MS of (virtual) time\n"
         "  --screenshot MS:FILE.png capture the window's client area at MS (repeatable)\n"
         "  --dump-state FILE.json   write the game's globals, stage objects and timers at the end\n"
         "  --scale N                integer window scaling, 1 to 16 (real window)\n"
         "  --fullscreen             borderless fullscreen (real window; F11 toggles)\n"
         "  --mute                   no sound\n"
         "  --random-play SEED       play by random keys shaped like a person's (Enter,\n"
         "                           walks, jumps, swings, pick-ups, items), for ever\n"
         "                           or until --run-for; the same seed plays the same\n"
         "  --help                   this text\n"
         "Without --run-for a headless run ends after its last scripted key or\n"
         "screenshot (at once when there is none).\n";
}

const CommandLine& GetCommandLine() { return g_commandLine; }
void SetCommandLine(const CommandLine& cl) { g_commandLine = cl; }

}  // namespace app
