// Process services of the emulated desktop.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

// Program folder (UTF-8, no trailing slash): where the program's own files are, found
// from the executable's real path. That is the executable's folder, except for a program
// installed under a prefix as PREFIX/bin/NAME with its files in PREFIX/share/NAME, or as
// a game PREFIX/games/NAME with its files in PREFIX/share/games/NAME.
std::string ProgramFolder();
// The same for a given executable path (exposed for tests).
std::string ProgramFolderOf(const std::string& executablePath);
std::string ProgramFileName();
// Makes a folder (UTF-8 host path) the current directory. False when it cannot.
bool SetCurrentFolder(const std::string& utf8Folder);
// Milliseconds since the host started (virtual in the headless host).
uint32_t GetTickCount();
// Reads a whole file; the path is a host path (UTF-8). nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& utf8Path);

// Opens a target (URL, mailto:, file) with the desktop's open action, without a shell.
// True when a program was started.
bool OpenWithDesktop(const std::string& utf8Target);
// The desktop's command for opening ".htm" files, with its "%1"-style placeholder, or
// empty when none is registered.
std::string HtmOpenCommand();
// Runs a command line (quoted arguments allowed), without a shell. True when started.
bool RunCommandLine(const std::string& utf8CommandLine);
// The pieces used above, exposed for tests: a command line split into arguments
// ("a b" groups, \" is a literal quote), and a .desktop Exec value with its file/URL
// field code turned into "%1" and the other codes dropped.
std::vector<std::string> SplitCommandLine(const std::string& utf8CommandLine);
std::string ExpandDesktopExec(const std::string& exec);

enum MessageBoxIcon : int { MB_ICONNONE = 0, MB_ICONERROR = 0x10, MB_ICONINFORMATION = 0x40 };
// Modal message box, UTF-8 texts. The headless host writes "caption: text" to stderr.
void MessageBox(HWND owner, const std::string& text, const std::string& caption, int icon);

// Hooks run (in reverse order of registration) before the process ends, e.g. to flush
// a pending screenshot or close audio. Must not call ExitProcess.
void AtExit(std::function<void()> fn);
// Runs the hooks and ends the process with the code (-1 ends with 255 on POSIX).
[[noreturn]] void ExitProcess(int code);

// SIGTERM, SIGINT and SIGHUP end the program as closing its windows does: the first one
// posts a close request to every shown top-level window (with none shown, the quit
// message); a second one, while that end is under way, ends the process at once, killed
// by that signal. A signal the program was started with ignored (nohup, a background job
// of a script) stays ignored. Call once, after the host has started.
void EndOnSignals();

}  // namespace platform
