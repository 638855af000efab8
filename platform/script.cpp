// The --script format: one timed key event per line, "MS down|up KEY".
#include <cctype>
#include <charconv>
#include <sstream>
#include <string_view>

#include "platform/host.h"

namespace platform {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Whole-string decimal number, no sign, no spaces.
template <typename T>
bool ParseDecimal(std::string_view s, T& out) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

std::string Shorten(std::string_view line) {
  if (line.size() <= 60) return std::string(line);
  return std::string(line.substr(0, 57)) + "...";
}

}  // namespace

int KeyNameToVk(const std::string& name) {
  static const struct {
    const char* name;
    int vk;
  } kNamed[] = {
      {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},
      {"down", VK_DOWN},     {"space", VK_SPACE},   {"return", VK_RETURN},
      {"enter", VK_RETURN},  {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
      {"tab", VK_TAB},       {"shift", VK_SHIFT},   {"ctrl", VK_CONTROL},
      {"control", VK_CONTROL}, {"alt", VK_MENU},
  };
  std::string key = Lower(name);
  for (const auto& n : kNamed)
    if (key == n.name) return n.vk;
  if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') return key[0] - 'a' + 'A';
  // One digit names the digit key; longer numbers are key codes ("65" is A).
  if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') return key[0];
  if (key.size() >= 2 && key[0] == 'f') {
    int n = 0;
    if (ParseDecimal(std::string_view(key).substr(1), n) && n >= 1 && n <= 12)
      return VK_F1 + n - 1;
  }
  int code = 0;
  if (ParseDecimal(key, code) && code >= 1 && code <= 254) return code;
  return 0;
}

std::optional<std::string> ParseScript(const std::string& text, std::vector<ScriptedKey>& out) {
  std::vector<ScriptedKey> keys;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string ms, action, key, extra;
    fields >> ms;
    if (ms.empty() || ms[0] == '#') continue;
    fields >> action >> key;
    auto fail = [&](const std::string& why) {
      return "line " + std::to_string(number) + ": " + why + " in '" + Shorten(line) + "'";
    };
    if (key.empty() || (fields >> extra))
      return fail("expected 'MS down|up KEY'");
    ScriptedKey k;
    if (!ParseDecimal(std::string_view(ms), k.timeMs)) return fail("bad time '" + ms + "'");
    std::string a = Lower(action);
    if (a != "down" && a != "up") return fail("expected down or up, not '" + action + "'");
    k.down = a == "down";
    k.vk = KeyNameToVk(key);
    if (k.vk == 0) return fail("unknown key '" + key + "'");
    keys.push_back(k);
  }
  out = std::move(keys);
  return std::nullopt;
}

}  // namespace platform
