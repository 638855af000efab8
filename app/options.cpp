#include "app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>

#include "platform/process.h"

namespace app {

namespace {

CommandLine g_commandLine;

bool ParseMs(const std::string& s, uint32_t& out) {
  if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

// The game makes its own folder the current directory at start, so a relative output
// path is pinned to where the user started it, now.
std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// One option at a time; `next` fetches its value (from "--opt=value" or the next word).
class Parser {
 public:
  Parser(const std::vector<std::string>& args, CommandLine& out) : args_(args), out_(out) {}

  bool Run(std::string& error) {
    for (i_ = 0; i_ < args_.size(); ++i_) {
      std::string arg = args_[i_];
      inlineValue_.reset();
      if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
        inlineValue_ = arg.substr(eq + 1);
        arg.resize(eq);
      }
      if (!One(arg, error)) return false;
    }
    return true;
  }

 private:
  bool Value(const std::string& opt, std::string& v, std::string& error) {
    if (inlineValue_) {
      v = *inlineValue_;
    } else if (i_ + 1 < args_.size()) {
      v = args_[++i_];
    } else {
      error = "option " + opt + " needs a value (see --help)";
      return false;
    }
    return true;
  }

  bool Flag(const std::string& opt, std::string& error) {
    if (!inlineValue_) return true;
    error = "option " + opt + " takes no value";
    return false;
  }

  bool One(const std::string& opt, std::string& error) {
    platform::HostOptions& h = out_.host;
    std::string v;
    if (opt == "--help" || opt == "-h") return Flag(opt, error) && (out_.showHelp = true);
    if (opt == "--headless") return Flag(opt, error) && (h.headless = true);
    if (opt == "--mute") return Flag(opt, error) && (h.mute = true);
    if (opt == "--run-for") {
      uint32_t ms = 0;
      if (!Value(opt, v, error)) return false;
      if (!ParseMs(v, ms)) return Fail(error, "--run-for needs milliseconds, not '" + v + "'");
      h.runForMs = ms;
      return true;
    }
    if (opt == "--scale") {
      uint32_t n = 0;
      if (!Value(opt, v, error)) return false;
      if (!ParseMs(v, n) || n < 1 || n > 16)
        return Fail(error, "--scale needs a whole number from 1 to 16, not '" + v + "'");
      h.scale = int(n);
      return true;
    }
    if (opt == "--screenshot") return Screenshot(v, error);
    if (opt == "--script") return Script(v, error);
    if (opt == "--dump-state") {
      if (!Value(opt, v, error)) return false;
      if (auto why = CheckWritable(v)) return Fail(error, "--dump-state: " + *why);
      h.dumpStatePath = Absolute(v);
      return true;
    }
    if (opt.rfind("-", 0) == 0) return Fail(error, "unknown option '" + opt + "' (see --help)");
    return Fail(error, "unexpected argument '" + opt + "' (see --help)");
  }

  bool Screenshot(std::string& v, std::string& error) {
    if (!Value("--screenshot", v, error)) return false;
    size_t colon = v.find(':');
    platform::ScheduledScreenshot shot;
    if (colon == std::string::npos || !ParseMs(v.substr(0, colon), shot.timeMs) ||
        colon + 1 == v.size())
      return Fail(error, "--screenshot needs MS:FILE.png, not '" + v + "'");
    shot.path = Absolute(v.substr(colon + 1));
    if (auto why = CheckWritable(shot.path)) return Fail(error, "--screenshot: " + *why);
    out_.host.screenshots.push_back(shot);
    return true;
  }

  bool Script(std::string& v, std::string& error) {
    if (!Value("--script", v, error)) return false;
    auto bytes = platform::ReadWholeFile(v);
    if (!bytes) return Fail(error, "cannot read script '" + v + "'");
    std::vector<platform::ScriptedKey> keys;
    if (auto why = platform::ParseScript(std::string(bytes->begin(), bytes->end()), keys))
      return Fail(error, "script '" + v + "' " + *why);
    out_.host.script.insert(out_.host.script.end(), keys.begin(), keys.end());
    return true;
  }

  static bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
  }

  const std::vector<std::string>& args_;
  CommandLine& out_;
  size_t i_ = 0;
  std::optional<std::string> inlineValue_;
};

}  // namespace

std::optional<std::string> CheckWritable(const std::string& path) {
  if (path.empty()) return "empty file name";
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return "'" + path + "' is a folder";
    if (access(path.c_str(), W_OK) != 0) return "cannot write '" + path + "'";
    return std::nullopt;
  }
  if (path.back() == '/') return "'" + path + "' is not a file name";
  std::string dir = ParentFolder(path);
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return "folder '" + dir + "' does not exist";
  if (access(dir.c_str(), W_OK | X_OK) != 0) return "cannot write in folder '" + dir + "'";
  return std::nullopt;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  out = CommandLine{};
  return Parser(args, out).Run(error);
}

std::string UsageText() {
  return "usage: tolvaran [options]\n"
         "  --headless               virtual clock, no display or audio device\n"
         "  --script FILE            timed input; each line: MS down|up KEY\n"
         "                           (KEY: Left Right Up Down Space Return Escape Tab\n"
         "                           A..Z 0..9 F1..F12, or a decimal key code)\n"
         "  --run-for MS             end with exit code 0 after MS of (virtual) time\n"
         "  --screenshot MS:FILE.png capture the window's client area at MS (repeatable)\n"
         "  --dump-state FILE.json   write the game's globals and lists at the end\n"
         "  --scale N                integer window scaling, 1 to 16 (real window)\n"
         "  --mute                   no sound\n"
         "  --help                   this text\n"
         "Without --run-for a headless run ends after its last scripted key or\n"
         "screenshot (at once when there is none).\n";
}

const CommandLine& GetCommandLine() { return g_commandLine; }
void SetCommandLine(const CommandLine& cl) { g_commandLine = cl; }

}  // namespace app
