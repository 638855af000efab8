// Starting other programs, always without a shell: the desktop's open action, the
// registered .htm handler, and plain command lines.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/process.h"

extern char** environ;

namespace platform {

namespace {

// Starts argv[0] from PATH. The child is reaped by a detached thread so that it never
// lingers as a zombie and nobody's SIGCHLD handling is touched.
bool Spawn(const std::vector<std::string>& args, int stdoutFd = -1, pid_t* pidOut = nullptr) {
  if (args.empty() || args[0].empty()) return false;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  if (pidOut) {
    *pidOut = pid;
  } else {
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  }
  return true;
}

// Runs a program and returns what it wrote on stdout (empty on any failure).
std::string Capture(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return {};
  pid_t pid = 0;
  bool started = Spawn(args, fds[1], &pid);
  close(fds[1]);
  std::string out;
  if (started) {
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 && out.size() < 65536) out.append(buf, size_t(n));
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out.clear();
  }
  close(fds[0]);
  return out;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> ApplicationDirs() {
  std::vector<std::string> dirs;
  const char* home = std::getenv("HOME");
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && *dataHome) dirs.push_back(std::string(dataHome) + "/applications");
  else if (home && *home) dirs.push_back(std::string(home) + "/.local/share/applications");
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  std::string list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
  std::stringstream ss(list);
  std::string d;
  while (std::getline(ss, d, ':'))
    if (!d.empty()) dirs.push_back(d + "/applications");
  return dirs;
}

// The Exec line of the [Desktop Entry] group of a .desktop file.
std::string ExecLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (inEntry && line.rfind("Exec=", 0) == 0) return Trim(line.substr(5));
  }
  return {};
}

}  // namespace

bool OpenWithDesktop(const std::string& utf8Target) {
  if (utf8Target.empty()) return false;
  return Spawn({"xdg-open", utf8Target});
}

std::string HtmOpenCommand() {
  std::string desktopId = Trim(Capture({"xdg-mime", "query", "default", "text/html"}));
  // Only the first id counts; ids never hold a slash.
  desktopId = desktopId.substr(0, desktopId.find_first_of(" ;\n"));
  if (desktopId.empty() || desktopId.find('/') != std::string::npos) return {};
  for (const std::string& dir : ApplicationDirs()) {
    std::string exec = ExecLine(dir + "/" + desktopId);
    if (!exec.empty()) return ExpandDesktopExec(exec);
  }
  return {};
}

bool RunCommandLine(const std::string& utf8CommandLine) {
  return Spawn(SplitCommandLine(utf8CommandLine));
}

}  // namespace platform
