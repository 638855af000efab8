#include "platform/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

namespace {

std::string ParentFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool Fail(std::string& error, const std::string& why) {
  error = why;
  return false;
}

bool Screenshot(OptionReader& r, HostOptions& h, std::string& error) {
  std::string v;
  if (!r.Value(v, error)) return false;
  size_t colon = v.find(':');
  ScheduledScreenshot shot;
  if (colon == std::string::npos || !ParseWholeNumber(v.substr(0, colon), shot.timeMs) ||
      colon + 1 == v.size())
    return Fail(error, "--screenshot needs MS:FILE.png, not '" + v + "'");
  shot.path = AbsolutePath(v.substr(colon + 1));
  if (auto why = CheckWritable(shot.path)) return Fail(error, "--screenshot: " + *why);
  h.screenshots.push_back(shot);
  return true;
}

// A script is a few lines a person or a test wrote. The cap keeps a file that only looks
// regular (a /proc file such as /proc/self/pagemap reads on for hundreds of gigabytes)
// from holding up the start for ever.
constexpr size_t kMaxScriptBytes = size_t(16) << 20;

enum class ScriptRead { Ok, Unreadable, TooLarge };

ScriptRead ReadScriptFile(const std::string& path, std::string& text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return ScriptRead::Unreadable;
  struct stat st {};
  ScriptRead result = ScriptRead::Ok;
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) result = ScriptRead::Unreadable;
  char chunk[65536];
  size_t n;
  while (result == ScriptRead::Ok && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (text.size() + n > kMaxScriptBytes)
      result = ScriptRead::TooLarge;
    else
      text.append(chunk, n);
  }
  if (result == ScriptRead::Ok && std::ferror(f)) result = ScriptRead::Unreadable;
  std::fclose(f);
  return result;
}

bool Script(OptionReader& r, HostOptions& h, std::string& error) {
  std::string v;
  if (!r.Value(v, error)) return false;
  std::string text;
  switch (ReadScriptFile(v, text)) {
    case ScriptRead::Ok:
      break;
    case ScriptRead::Unreadable:
      return Fail(error, "cannot read script '" + v + "'");
    case ScriptRead::TooLarge:
      return Fail(error, "script '" + v + "' is larger than 16 MiB");
  }
  std::vector<ScriptedKey> keys;
  if (auto why = ParseScript(text, keys))
    return Fail(error, "script '" + v + "' " + *why);
  h.script.insert(h.script.end(), keys.begin(), keys.end());
  return true;
}

}  // namespace

bool OptionReader::Next() {
  if (next_ >= args_.size()) return false;
  option_ = args_[next_++];
  inlineValue_.reset();
  if (size_t eq = option_.find('='); option_.rfind("--", 0) == 0 && eq != std::string::npos) {
    inlineValue_ = option_.substr(eq + 1);
    option_.resize(eq);
  }
  return true;
}

bool OptionReader::Value(std::string& value, std::string& error) {
  if (inlineValue_) {
    value = *inlineValue_;
  } else if (next_ < args_.size()) {
    value = args_[next_++];
  } else {
    return Fail(error, "option " + option_ + " needs a value (see --help)");
  }
  return true;
}

bool OptionReader::Flag(std::string& error) const {
  if (!inlineValue_) return true;
  return Fail(error, "option " + option_ + " takes no value");
}

std::string OptionReader::Unknown() const {
  if (option_.rfind("-", 0) == 0) return "unknown option '" + option_ + "' (see --help)";
  return "unexpected argument '" + option_ + "' (see --help)";
}

std::optional<bool> ReadHostOption(OptionReader& r, HostOptions& h, std::string& error) {
  const std::string& opt = r.Option();
  std::string v;
  if (opt == "--headless") return r.Flag(error) && (h.headless = h.deferPaint = true);
  if (opt == "--mute") return r.Flag(error) && (h.mute = true);
  if (opt == "--fullscreen") return r.Flag(error) && (h.fullscreen = true);
  if (opt == "--run-for") {
    uint32_t ms = 0;
    if (!r.Value(v, error)) return false;
    if (!ParseWholeNumber(v, ms)) return Fail(error, "--run-for needs milliseconds, not '" + v + "'");
    h.runForMs = ms;
    return true;
  }
  if (opt == "--scale") {
    uint32_t n = 0;
    if (!r.Value(v, error)) return false;
    if (!ParseWholeNumber(v, n) || n < 1 || n > 16)
      return Fail(error, "--scale needs a whole number from 1 to 16, not '" + v + "'");
    h.scale = int(n);
    return true;
  }
  if (opt == "--screenshot") return Screenshot(r, h, error);
  if (opt == "--script") return Script(r, h, error);
  return std::nullopt;
}

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20 || u == 0x7F) {
      const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

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

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

}  // namespace platform
