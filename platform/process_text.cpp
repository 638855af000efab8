// The command-line and .desktop Exec texts the desktop's open actions use: plain text
// work, the same on every host.
#include <string>
#include <vector>

#include "platform/process.h"

namespace platform {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

std::string ExpandDesktopExec(const std::string& exec) {
  std::string out;
  bool placed = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] != '%' || i + 1 >= exec.size()) {
      out.push_back(exec[i]);
      continue;
    }
    char code = exec[++i];
    switch (code) {
      case '%': out.push_back('%'); break;
      case 'u': case 'U': case 'f': case 'F':
        if (!placed) out += "\"%1\"";
        placed = true;
        break;
      default: break;  // %i %c %k and the deprecated codes expand to nothing here
    }
  }
  // Collapse the double spaces left by dropped field codes.
  std::string tidy;
  for (char c : out)
    if (!(c == ' ' && !tidy.empty() && tidy.back() == ' ')) tidy.push_back(c);
  return Trim(tidy);
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  std::string cur;
  bool inQuotes = false, have = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      inQuotes = !inQuotes;
      have = true;
    } else if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
      cur.push_back('"');
      ++i;
      have = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (have) args.push_back(cur);
      cur.clear();
      have = false;
    } else {
      cur.push_back(c);
      have = true;
    }
  }
  if (have) args.push_back(cur);
  return args;
}

}  // namespace platform
