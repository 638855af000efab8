// The general runtime commands game code calls.
//
// Each command has a typed core in namespace rt, which holds its behaviour, and a
// record routine in rt::commands, the command-call form that form programs and the
// command table use: a one-line adapter that reads its records through rt::ArgList and
// calls the core. Absent optional arguments are std::nullopt in the cores.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/forms/component.h"
#include "runtime/values/values.h"

namespace rt {

// ---- arithmetic and random numbers --------------------------------------------------
// x modulo each divisor in turn (fmod); a divisor of 0 is the runtime error
// "不能求余数于零".
double Mod(double x, std::span<const double> divisors);
inline double Mod(double x, double y) { return Mod(x, std::span<const double>(&y, 1)); }
double Abs(double x);
// No seed: taken from the clock, different for two calls within one millisecond.
void SetRandomSeed(std::optional<uint32_t> seed = std::nullopt);
// A draw from lo..hi (negatives count as 0, swapped when reversed; absent: 0 and
// 2147483647); lo == hi gives lo without advancing the generator.
int32_t Random(std::optional<int32_t> lo, std::optional<int32_t> hi);
inline int32_t Random(int32_t lo, int32_t hi) {
  return Random(std::optional<int32_t>(lo), std::optional<int32_t>(hi));
}

// ---- texts (GBK; positions and lengths in bytes) ------------------------------------
int32_t TextLength(std::string_view s);
std::string LeftText(std::string_view s, int32_t n);
std::string RightText(std::string_view s, int32_t n);
std::string MidText(std::string_view s, int32_t start, int32_t n);  // start is 1-based
// The 1-based position of the last `what` in s (before `start` when given), -1 if none.
int32_t FindTextReverse(std::string_view s, std::string_view what,
                        std::optional<int32_t> start = std::nullopt, bool ignoreCase = false);

// ---- conversions --------------------------------------------------------------------
// Chosen by the value's type code, as the record carries it.
int32_t ToInt(const ArgRecord& value);
std::string ToText(const ArgRecord& value);
inline int32_t ToInt(std::string_view text) { return ToInt(ArgText(std::string(text).c_str())); }
inline std::string ToText(int32_t v) { return ToText(ArgInt(v)); }

// ---- files and sound ----------------------------------------------------------------
// The program folder RunDirectory answers with (GBK, no trailing separator). The form
// runtime sets it at start-up; until then it is taken from the platform once.
const std::string& RunDirectory();
void SetRunDirectory(std::string_view gbkFolder);
// The whole file (GBK path as the game builds it); empty when missing or unreadable.
std::vector<uint8_t> ReadFileBytes(std::string_view gbkPath);
// True when playback started (WAVE or standard MIDI data; loop != 0 repeats).
bool PlaySound(std::span<const uint8_t> data, int32_t loop = 0);
bool PlaySoundFile(std::string_view gbkPath, int32_t loop = 0);
// Size of a picture file; 0 when it is missing or no picture.
int32_t PictureWidth(std::string_view gbkPath);
int32_t PictureHeight(std::string_view gbkPath);

// ---- windows and components ---------------------------------------------------------
// (DoEvents itself is the form runtime's rt::DoEvents.)
// A component that is not loaded is the runtime error "指定窗口或窗口组件不存在或尚未载入".
void FocusComponent(const ComponentRef& c);
bool ComponentHasFocus(const ComponentRef& c);
// Each of left, top, width, height kept when absent (a width or height of -1 too).
void MoveComponent(const ComponentRef& c, std::optional<int32_t> left, std::optional<int32_t> top,
                   std::optional<int32_t> width, std::optional<int32_t> height);

// A command by its English name ("Random", "MidText" ...); nullptr when unknown.
CommandRoutine FindCommand(std::string_view englishName);

// The random generator of the calling thread (tests: the state after a draw).
uint32_t RandomState();

}  // namespace rt

// The record routines: typed records in, a result record out. Text and byte-set results
// are fresh heap blocks owned by the caller (null when empty).
namespace rt::commands {

void Mod(ArgRecord* result, int argc, ArgRecord* args);            // x, y, further y... -> double
void Abs(ArgRecord* result, int argc, ArgRecord* args);            // x -> double
void SetRandomSeed(ArgRecord* result, int argc, ArgRecord* args);  // [seed]
void Random(ArgRecord* result, int argc, ArgRecord* args);         // [min], [max] -> int

void TextLength(ArgRecord* result, int argc, ArgRecord* args);       // s -> int
void LeftText(ArgRecord* result, int argc, ArgRecord* args);         // s, n -> text
void RightText(ArgRecord* result, int argc, ArgRecord* args);        // s, n -> text
void MidText(ArgRecord* result, int argc, ArgRecord* args);          // s, start, n -> text
void FindTextReverse(ArgRecord* result, int argc, ArgRecord* args);  // s, what, [start], [ignoreCase] -> int

void ToInt(ArgRecord* result, int argc, ArgRecord* args);   // any scalar -> int
void ToText(ArgRecord* result, int argc, ArgRecord* args);  // any -> text

void RunDirectory(ArgRecord* result, int argc, ArgRecord* args);   // -> text
void ReadFileBytes(ArgRecord* result, int argc, ArgRecord* args);  // path -> byte set
void PlaySound(ArgRecord* result, int argc, ArgRecord* args);      // byte set or file name, [loop] -> bool
void PictureWidth(ArgRecord* result, int argc, ArgRecord* args);   // path -> int
void PictureHeight(ArgRecord* result, int argc, ArgRecord* args);  // path -> int

void DoEvents(ArgRecord* result, int argc, ArgRecord* args);
void FocusComponent(ArgRecord* result, int argc, ArgRecord* args);     // component
void ComponentHasFocus(ArgRecord* result, int argc, ArgRecord* args);  // component -> bool
void MoveComponent(ArgRecord* result, int argc, ArgRecord* args);      // component, [left], [top], [width], [height]

}  // namespace rt::commands
