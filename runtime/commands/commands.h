// The general runtime commands game code calls, each a CommandRoutine taking its
// arguments as typed records (absent optional arguments have type 0). Text and byte-set
// results are fresh heap blocks owned by the caller (null when empty).
#pragma once
#include <string>
#include <string_view>

#include "runtime/values/values.h"

namespace rt::commands {

// ---- arithmetic and random numbers --------------------------------------------------
void Mod(ArgRecord* result, int argc, ArgRecord* args);            // x, y, further y... -> double
void Abs(ArgRecord* result, int argc, ArgRecord* args);            // x -> double
void SetRandomSeed(ArgRecord* result, int argc, ArgRecord* args);  // [seed]
void Random(ArgRecord* result, int argc, ArgRecord* args);         // [min], [max] -> int

// ---- texts (positions and lengths in bytes) -----------------------------------------
void TextLength(ArgRecord* result, int argc, ArgRecord* args);       // s -> int
void LeftText(ArgRecord* result, int argc, ArgRecord* args);         // s, n -> text
void RightText(ArgRecord* result, int argc, ArgRecord* args);        // s, n -> text
void MidText(ArgRecord* result, int argc, ArgRecord* args);          // s, start, n -> text
void FindTextReverse(ArgRecord* result, int argc, ArgRecord* args);  // s, what, [start], [ignoreCase] -> int

// ---- conversions --------------------------------------------------------------------
void ToInt(ArgRecord* result, int argc, ArgRecord* args);   // any scalar -> int
void ToText(ArgRecord* result, int argc, ArgRecord* args);  // any -> text

// ---- files and sound ----------------------------------------------------------------
void RunDirectory(ArgRecord* result, int argc, ArgRecord* args);   // -> text
void ReadFileBytes(ArgRecord* result, int argc, ArgRecord* args);  // path -> byte set
void PlaySound(ArgRecord* result, int argc, ArgRecord* args);      // byte set or file name, [loop] -> bool
void PictureWidth(ArgRecord* result, int argc, ArgRecord* args);   // path -> int
void PictureHeight(ArgRecord* result, int argc, ArgRecord* args);  // path -> int

// ---- windows and components ---------------------------------------------------------
void DoEvents(ArgRecord* result, int argc, ArgRecord* args);
void FocusComponent(ArgRecord* result, int argc, ArgRecord* args);     // component
void ComponentHasFocus(ArgRecord* result, int argc, ArgRecord* args);  // component -> bool
void MoveComponent(ArgRecord* result, int argc, ArgRecord* args);      // component, [left], [top], [width], [height]

}  // namespace rt::commands

namespace rt {

// A command by its English name ("Random", "MidText" ...); nullptr when unknown.
CommandRoutine FindCommand(std::string_view englishName);

// The program folder RunDirectory answers with (GBK, no trailing separator). The form
// runtime sets it at start-up; until then it is taken from the platform once.
void SetRunDirectory(std::string_view gbkFolder);
const std::string& GetRunDirectory();

// The random generator of the calling thread (tests: the state after a draw).
uint32_t RandomState();

}  // namespace rt
