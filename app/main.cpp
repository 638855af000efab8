// tolvaran: parses the command line, starts the chosen host and runs the game.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/options.h"
#include "platform/host.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  app::CommandLine cl;
  std::string error;
  if (!app::ParseCommandLine(args, cl, error)) {
    std::fprintf(stderr, "tolvaran: %s\n", error.c_str());
    return 2;
  }
  if (cl.showHelp) {
    std::fputs(app::UsageText().c_str(), stdout);
    return 0;
  }
  // A headless run has no window to close: without --run-for it ends with the last
  // thing it was asked to do, instead of ticking the game's timers forever.
  if (cl.host.headless && !cl.host.runForMs) {
    uint32_t last = 0;
    for (const auto& k : cl.host.script) last = std::max(last, k.timeMs);
    for (const auto& s : cl.host.screenshots) last = std::max(last, s.timeMs);
    cl.host.runForMs = last;
  }
  app::SetCommandLine(cl);
  if (auto failure = platform::Init(cl.host)) {
    std::fprintf(stderr, "tolvaran: %s\n", failure->c_str());
    return 1;
  }
  platform::EndOnSignals();
  platform::ExitProcess(app::RunGame());
}
