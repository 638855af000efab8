// The host's part of a command line, shared by every program that starts a host (the game
// and the demos): the options that choose and drive the host. Each program walks its
// words with an OptionReader and hands the options it does not know itself to
// ReadHostOption, so all of them spell and check the host's options alike.
#pragma once
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform {

// The words of a command line as options, one at a time: "--opt value" or "--opt=value".
class OptionReader {
 public:
  explicit OptionReader(const std::vector<std::string>& args) : args_(args) {}
  // Moves to the next option; false after the last.
  bool Next();
  // The current option without its "=value".
  const std::string& Option() const { return option_; }
  // The current option's value (after '=' or the next word); false with a one-line
  // message in `error` when there is none.
  bool Value(std::string& value, std::string& error);
  // True when the option came without "=value"; otherwise false with a message.
  bool Flag(std::string& error) const;
  // The message for an option no one took.
  std::string Unknown() const;

 private:
  const std::vector<std::string>& args_;
  size_t next_ = 0;
  std::string option_;
  std::optional<std::string> inlineValue_;
};

// Reads the current option into `host` when it is one of the host's: --headless, --mute,
// --fullscreen, --run-for MS, --scale N, --script FILE, --screenshot MS:FILE.png. nullopt when it is
// not; false with a one-line message in `error` when its value is wrong. Reads the script
// file and checks that a screenshot could be written, without creating anything.
std::optional<bool> ReadHostOption(OptionReader& reader, HostOptions& host, std::string& error);

// A whole number written in decimal digits only (no sign, no blanks) that fits `T`.
template <class T>
bool ParseWholeNumber(const std::string& s, T& out) {
  if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

// `text` with its control characters written as \n, \r, \t or \xNN: a message that
// quotes what the user typed stays on one line whatever was typed.
std::string OneLine(const std::string& text);

// nullopt when a file could be created or replaced at `path`; otherwise why not.
std::optional<std::string> CheckWritable(const std::string& path);
// `path` against the current folder. Programs change their folder as they start, so an
// output path given relative on the command line is pinned to where the user started it.
std::string AbsolutePath(const std::string& path);

}  // namespace platform
