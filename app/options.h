// The command line of the game: parsing and validation, done before anything starts.
#pragma once
#include <string>
#include <vector>

#include "platform/host.h"

namespace app {

struct CommandLine {
  platform::HostOptions host;
  // --dump-state FILE.json (UTF-8, checked writable at start); empty when not asked.
  std::string dumpStatePath;
  bool showHelp = false;
};

// Parses the arguments after the program name. On any problem returns false with a
// one-line message in `error` (no program-name prefix). Reads the --script file and
// checks that every output path could be written, without creating anything.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);
std::string UsageText();

// The options the game was started with (valid once main has parsed them).
const CommandLine& GetCommandLine();
void SetCommandLine(const CommandLine& cl);

}  // namespace app
