// The readable source of a form description, one statement per line ('#' starts a
// comment outside quotes):
//
//   handler NAME                      add a handler to the table (also --handlers FILE)
//   window ID "Name"                  start a window; the lines after it describe the
//                                     window's own record
//   unit TYPE ID "Name"               start a component record (TYPE: Label, HyperLinker,
//                                     Timer, CartoonBox, CartoonObject, window; or a
//                                     TypeCode number: no settings, an empty own block)
//   geometry LEFT TOP WIDTH HEIGHT
//   flags visible disabled tabstop    (or a number; defaults: visible, none for Timer and
//                                     CartoonObject)
//   code NAME                         the window's or component's name in program code:
//                                     the ids header (--ids) defines NAME as its id
//   container ID    eventlink ID    remark "text"    name2 "text"
//   on EVENT -> HANDLER               EVENT by name (KeyDown, Tick, Created ...) or number;
//                                     HANDLER `none` stores -1
//   SETTING VALUE...                  an own-block setting of the unit's type by name
//
// Values: numbers (decimal or 0x hex, negative allowed), `default` (0xFF000000),
// true/false/on/off, "texts" (UTF-8 here, stored GBK; \" \\ \n escapes), byte blocks as
// file:PATH (relative to the source), @builtin:NAME (a file NAME.* of the built-in folder)
// or none, fonts as  "Face" SIZE [bold] [italic] [underline] [strikeout] [angle N]  or none.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/forms/form_description.h"

namespace formbuild {

struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct BuildOptions {
  std::string sourceDir;   // file: paths are relative to it
  std::string builtinDir;  // where @builtin: names are looked up
};

// A window or component the source gave a code name.
struct NamedId {
  std::string name;
  uint32_t id;
};

struct BuiltForm {
  std::vector<rt::WindowDescription> windows;
  std::vector<std::string> handlers;  // the handler table, in order
  std::vector<NamedId> ids;           // in source order
};

// The program's header of window and component ids, and of the type codes of every
// type the builder knows (kTypeCartoonBox ...), in namespace `ns`.
std::string IdsHeaderText(const BuiltForm& form, const std::string& ns);

// Throws SourceError("LINE: message") on any mistake.
BuiltForm BuildForm(const std::string& sourceText, std::vector<std::string> handlers,
                    const BuildOptions& options);

// Reads a handler list: one name per line, '#' comments and blank lines ignored.
std::vector<std::string> ParseHandlerList(const std::string& text);

std::string Utf8ToGbk(const std::string& utf8);  // throws when it cannot be converted

}  // namespace formbuild
