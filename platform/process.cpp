// Process services: program folder, tick count, file reading, exit with hooks.
#include "platform/process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <mutex>

#include "platform/host.h"
#include "platform/host_internal.h"

namespace platform {

namespace {

std::mutex g_hooksMutex;
std::vector<std::function<void()>>& Hooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}

std::string ExecutablePath() {
  std::string buf(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  buf.resize(size_t(n));
  return buf;
}

}  // namespace

std::string ProgramFolder() { return ProgramFolderOf(ExecutablePath()); }

std::string ProgramFolderOf(const std::string& exe) {
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  const std::string folder = exe.substr(0, slash);
  // An installed program keeps its data out of bin/: PREFIX/bin/NAME reads
  // PREFIX/share/NAME, and a game laid out as Debian places games, PREFIX/games/NAME,
  // reads PREFIX/share/games/NAME. The files travel with the prefix, so an install
  // anywhere (a package, ~/.local, a test's scratch folder) finds them the same way; a
  // program that is not installed (a build tree) keeps them beside itself.
  const size_t up = folder.rfind('/');
  if (up != std::string::npos) {
    const std::string prefix = folder.substr(0, up), bin = folder.substr(up + 1);
    const std::string name = exe.substr(slash + 1);
    std::string shared;
    if (bin == "bin") shared = prefix + "/share/" + name;
    else if (bin == "games") shared = prefix + "/share/games/" + name;
    struct stat st {};
    if (!shared.empty() && stat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return shared;
  }
  return folder;
}

std::string ProgramFileName() {
  std::string exe = ExecutablePath();
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? exe : exe.substr(slash + 1);
}

bool SetCurrentFolder(const std::string& utf8Folder) {
  return !utf8Folder.empty() && chdir(utf8Folder.c_str()) == 0;
}

uint32_t GetTickCount() { return GetHost().Now(); }

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& utf8Path) {
  FILE* f = std::fopen(utf8Path.c_str(), "rb");
  if (!f) return std::nullopt;
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return std::nullopt;
  }
  std::vector<uint8_t> data;
  // The size is a hint only: the file may change while it is read.
  data.reserve(size_t(st.st_size > 0 ? st.st_size : 0));
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return data;
}

void MessageBox(HWND, const std::string& text, const std::string& caption, int icon) {
  GetHost().ShowMessageBox(text, caption, icon);
}

void AtExit(std::function<void()> fn) {
  std::lock_guard lock(g_hooksMutex);
  Hooks().push_back(std::move(fn));
}

void ExitProcess(int code) {
  static bool exiting = false;
  if (!exiting) {
    exiting = true;
    std::vector<std::function<void()>> hooks;
    {
      std::lock_guard lock(g_hooksMutex);
      hooks.swap(Hooks());
    }
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
      if (*it) (*it)();
    detail::ShutdownSdl();
  }
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  _exit(code & 0xFF);
}

}  // namespace platform
