// Runs the game as a child process and reads what it left: the exit code, stderr and the
// state dump.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "dump_reader.h"

namespace soak {

// CTest runs tests in parallel processes: every name carries this process's id.
inline std::string Temp(const std::string& name) {
  return ::testing::TempDir() + "/soak_" + std::to_string(getpid()) + "_" + name;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct GameRun {
  int exitCode = -1;
  std::string err;
  std::string dump;  // the --dump-state JSON, empty when none was written
  // The dump read back; nullopt when none was written or it is not JSON.
  std::optional<dump::Dump> State() const { return dump::Dump::Parse(dump); }
};

// `exe` with `args` (each quoted) and --dump-state, started by `launcher` (e.g.
// "xvfb-run -a") with `env` assignments before it; stdout dropped.
inline GameRun RunGame(const std::string& exe, const std::vector<std::string>& args,
                       const std::string& env = "", const std::string& launcher = "") {
  const std::string errFile = Temp("err.txt"), dumpFile = Temp("dump.json");
  std::remove(dumpFile.c_str());
  std::string cmd = env + " " + launcher + " '" + exe + "' --dump-state '" + dumpFile + "'";
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " >/dev/null 2>'" + errFile + "'";
  const int status = std::system(cmd.c_str());
  GameRun r;
  if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
  r.err = ReadAll(errFile);
  r.dump = ReadAll(dumpFile);
  std::remove(errFile.c_str());
  std::remove(dumpFile.c_str());
  return r;
}

inline size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The runtime error report's own words (its box prints to stderr in a headless run).
constexpr const char* kRuntimeErrorText = "运行时出错";

}  // namespace soak
