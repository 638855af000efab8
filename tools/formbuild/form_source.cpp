#include "tools/formbuild/form_source.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <sstream>

#include "platform/draw.h"
#include "platform/text.h"
#include "runtime/forms/font_value.h"
#include "platform/byte_reader.h"
#include "tools/formbuild/block_fields.h"

namespace formbuild {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

std::vector<Token> Tokenize(const std::string& line) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') { ++i; continue; }
    if (c == '#') break;
    if (c == '"') {
      Token t{"", true};
      ++i;
      for (;;) {
        if (i >= line.size()) throw SourceError("unterminated text");
        char d = line[i++];
        if (d == '"') break;
        if (d == '\\' && i < line.size()) {
          char e = line[i++];
          t.text += e == 'n' ? '\n' : e;
        } else {
          t.text += d;
        }
      }
      out.push_back(std::move(t));
      continue;
    }
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    out.push_back({line.substr(start, i - start), false});
  }
  return out;
}

int64_t ParseNumber(const Token& t) {
  if (t.quoted) throw SourceError("a number was expected, not a text");
  if (strcasecmp(t.text.c_str(), "default") == 0) return 0xFF000000;
  if (strcasecmp(t.text.c_str(), "true") == 0 || strcasecmp(t.text.c_str(), "on") == 0) return 1;
  if (strcasecmp(t.text.c_str(), "false") == 0 || strcasecmp(t.text.c_str(), "off") == 0) return 0;
  try {
    size_t used = 0;
    int64_t v = std::stoll(t.text, &used, 0);
    if (used != t.text.size()) throw SourceError("bad number '" + t.text + "'");
    if (v < INT32_MIN || v > int64_t(UINT32_MAX)) throw SourceError("number out of 32-bit range: " + t.text);
    return v;
  } catch (const std::logic_error&) {
    throw SourceError("bad number '" + t.text + "'");
  }
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw SourceError("cannot read " + p.string());
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ParseBytes(const Token& t, const BuildOptions& o) {
  if (!t.quoted && t.text == "none") return {};
  if (t.text.rfind("file:", 0) == 0) {
    std::filesystem::path p = t.text.substr(5);
    if (p.is_relative()) p = std::filesystem::path(o.sourceDir) / p;
    return ReadFile(p);
  }
  if (t.text.rfind("@builtin:", 0) == 0) {
    std::string name = t.text.substr(9);
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(o.builtinDir, ec))
      if (e.path().stem() == name) return ReadFile(e.path());
    throw SourceError("no built-in '" + name + "' in '" + o.builtinDir + "'");
  }
  throw SourceError("byte blocks are file:PATH, @builtin:NAME or none");
}

// A 60-byte logical font record, as the runtime stores fonts.
std::vector<uint8_t> ParseFont(const std::vector<Token>& v, size_t from) {
  if (from >= v.size()) throw SourceError("font value missing");
  if (!v[from].quoted && v[from].text == "none") return {};
  if (!v[from].quoted) throw SourceError("a font starts with its face name in quotes");
  std::string face = Utf8ToGbk(v[from].text);
  if (face.empty() || face.size() > 31) throw SourceError("font face name must be 1..31 bytes");
  rt::FontValue font;
  font.face = face;
  for (size_t i = from + 1; i < v.size(); ++i) {
    const std::string& w = v[i].text;
    if (w == "bold") font.bold = true;
    else if (w == "italic") font.italic = true;
    else if (w == "underline") font.underline = true;
    else if (w == "strikeout") font.strikeOut = true;
    else if (w == "angle" && i + 1 < v.size()) font.angle = int(ParseNumber(v[++i]));
    else if (i == from + 1) font.size = int(ParseNumber(v[i]));
    else throw SourceError("unknown font word '" + w + "'");
  }
  // The same conversion the runtime makes when a program sets a font.
  return platform::LogFontToBytes(rt::LogFontFromFont(font));
}

struct FieldValue {
  int64_t number = 0;
  std::vector<uint8_t> bytes;
};

struct UnitDraft {
  const rt::UnitKindFacts* type = nullptr;
  rt::UnitRecord record;
  std::map<std::string, rt::StoredValue> settings;  // by field name
  bool flagsGiven = false;
};

// The kind's block with the settings the source gave and the defaults for the rest.
std::vector<uint8_t> EncodeOwnBlock(const UnitDraft& u) {
  if (u.type->englishName.empty()) return {};  // a type the builder knows only by its code
  std::vector<rt::StoredValue> values = u.type->defaults;
  for (size_t i = 0; i < values.size(); ++i) {
    auto it = u.settings.find(std::string(u.type->fields[i].name));
    if (it != u.settings.end()) values[i] = it->second;
  }
  return rt::WriteStoredBlock(*u.type, values);
}

class Builder {
 public:
  Builder(std::vector<std::string> handlers, const BuildOptions& o) : options_(o) {
    for (auto& h : handlers) AddHandler(h);
  }

  void Line(const std::vector<Token>& t) {
    const std::string& word = t[0].text;
    if (word == "handler") return AddHandler(Arg(t, 1).text);
    if (word == "window") return StartWindow(t);
    if (word == "unit") return StartUnit(t);
    if (!current_) throw SourceError("'" + word + "' outside a window or unit");
    rt::UnitRecord& r = current_->record;
    if (word == "geometry") {
      r.left = int32_t(ParseNumber(Arg(t, 1)));
      r.top = int32_t(ParseNumber(Arg(t, 2)));
      r.width = int32_t(ParseNumber(Arg(t, 3)));
      r.height = int32_t(ParseNumber(Arg(t, 4)));
    } else if (word == "flags") {
      r.SetFlags(ParseFlags(t));
      current_->flagsGiven = true;
    } else if (word == "container") {
      r.container = uint32_t(ParseNumber(Arg(t, 1)));
    } else if (word == "eventlink") {
      r.eventLink = uint32_t(ParseNumber(Arg(t, 1)));
    } else if (word == "remark") {
      r.remark = Utf8ToGbk(Arg(t, 1).text);
    } else if (word == "name2") {
      r.name2 = Utf8ToGbk(Arg(t, 1).text);
    } else if (word == "code") {
      AddCodeName(Arg(t, 1).text, r.key);
    } else if (word == "on") {
      AddEvent(t);
    } else {
      Setting(t);
    }
  }

  BuiltForm Finish() {
    FinishUnit();
    FinishWindow();
    return {std::move(windows_), std::move(handlers_), std::move(ids_)};
  }

 private:
  static const Token& Arg(const std::vector<Token>& t, size_t i) {
    if (i >= t.size()) throw SourceError("'" + t[0].text + "' needs more values");
    return t[i];
  }

  static bool IsIdentifier(const std::string& name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
      return false;
    for (char c : name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
  }

  void AddHandler(const std::string& name) {
    if (!IsIdentifier(name)) throw SourceError("handler '" + name + "' is not an identifier");
    if (handlerIndex_.count(name)) throw SourceError("handler '" + name + "' listed twice");
    handlerIndex_[name] = int32_t(handlers_.size());
    handlers_.push_back(name);
  }

  void AddCodeName(const std::string& name, uint32_t id) {
    if (!IsIdentifier(name)) throw SourceError("code name '" + name + "' is not an identifier");
    for (const auto& named : ids_)
      if (named.name == name) throw SourceError("code name '" + name + "' used twice");
    ids_.push_back({name, id});
  }

  void StartWindow(const std::vector<Token>& t) {
    FinishUnit();
    FinishWindow();
    window_ = rt::WindowDescription{};
    window_->windowId = uint32_t(ParseNumber(Arg(t, 1)));
    current_ = UnitDraft{};
    current_->type = FindType("window");
    current_->record.key = window_->windowId;
    current_->record.typeCode = current_->type->typeCode;
    if (t.size() > 2) current_->record.name = Utf8ToGbk(t[2].text);
  }

  void StartUnit(const std::vector<Token>& t) {
    if (!window_) throw SourceError("'unit' before any 'window'");
    FinishUnit();
    current_ = UnitDraft{};
    current_->type = FindType(Arg(t, 1).text);
    if (!current_->type && !std::isdigit(static_cast<unsigned char>(t[1].text[0])))
      throw SourceError("unknown unit type '" + t[1].text + "'");
    if (!current_->type) {
      // A type given by its TypeCode (a library's own type the builder does not know):
      // no settings, an empty own block, events by number or common name.
      rt::UnitKindFacts raw;
      raw.typeCode = uint32_t(ParseNumber(t[1]));
      raw.defaultFlags = rt::kUnitVisible;
      rawTypes_.push_back(std::move(raw));
      current_->type = &rawTypes_.back();
    }
    current_->record.typeCode = current_->type->typeCode;
    current_->record.key = uint32_t(ParseNumber(Arg(t, 2)));
    if (current_->record.key == 0) throw SourceError("component id 0 names the window itself");
    for (const auto& r : window_->records)
      if (r.key == current_->record.key) throw SourceError("id used twice in one window");
    if (t.size() > 3) current_->record.name = Utf8ToGbk(t[3].text);
  }

  void FinishUnit() {
    if (!current_) return;
    UnitDraft& u = *current_;
    if (!u.flagsGiven) u.record.SetFlags(u.type->defaultFlags);
    u.record.ownBlock = EncodeOwnBlock(u);
    window_->records.push_back(std::move(u.record));
    current_.reset();
  }

  void FinishWindow() {
    if (!window_) return;
    for (const auto& w : windows_)
      if (w.windowId == window_->windowId) throw SourceError("window id used twice");
    windows_.push_back(std::move(*window_));
    window_.reset();
  }

  uint32_t ParseFlags(const std::vector<Token>& t) {
    uint32_t flags = 0;
    for (size_t i = 1; i < t.size(); ++i) {
      const std::string& w = t[i].text;
      if (w == "visible") flags |= rt::kUnitVisible;
      else if (w == "disabled") flags |= rt::kUnitDisabled;
      else if (w == "tabstop") flags |= rt::kUnitTabStop;
      else flags |= uint32_t(ParseNumber(t[i]));
    }
    return flags;
  }

  void AddEvent(const std::vector<Token>& t) {
    if (t.size() != 4 || t[2].text != "->") throw SourceError("write: on EVENT -> HANDLER");
    const std::string& name = t[1].text;
    int32_t index = 0;
    bool found = false;
    for (const auto& [n, i] : current_->type->events)
      if (SameName(n, name)) index = i, found = true;
    if (!found) index = CommonEventIndex(name, found);
    if (!found) index = int32_t(ParseNumber(t[1]));
    int32_t ref = rt::kNoHandler;
    if (t[3].text != "none") {
      auto it = handlerIndex_.find(t[3].text);
      if (it == handlerIndex_.end()) throw SourceError("handler '" + t[3].text + "' is not in the handler table");
      ref = it->second;
    }
    current_->record.events.push_back({index, ref});
  }

  void Setting(const std::vector<Token>& t) {
    const rt::FieldFacts* field = nullptr;
    for (const rt::FieldFacts& f : current_->type->fields)
      if (SameName(f.name, t[0].text)) field = &f;
    if (!field)
      throw SourceError("'" + std::string(current_->type->englishName) + "' has no setting '" + t[0].text + "'");
    rt::StoredValue v;
    switch (field->kind) {
      case rt::FieldKind::Int: case rt::FieldKind::Colour: case rt::FieldKind::Bool:
        v.word = ParseNumber(Arg(t, 1));
        if (field->kind == rt::FieldKind::Bool) v.word = v.word != 0;
        break;
      case rt::FieldKind::Text: {
        std::string gbk = Utf8ToGbk(Arg(t, 1).text);
        v.bytes.assign(gbk.begin(), gbk.end());
        break;
      }
      case rt::FieldKind::Bytes: v.bytes = ParseBytes(Arg(t, 1), options_); break;
      case rt::FieldKind::Font: v.bytes = ParseFont(t, 1); break;
    }
    current_->settings[std::string(field->name)] = std::move(v);
  }

  BuildOptions options_;
  std::vector<std::string> handlers_;
  std::map<std::string, int32_t> handlerIndex_;
  std::vector<NamedId> ids_;
  std::vector<rt::WindowDescription> windows_;
  std::optional<rt::WindowDescription> window_;
  std::optional<UnitDraft> current_;
  std::list<rt::UnitKindFacts> rawTypes_;  // stable addresses for drafts that point at them
};

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
  auto gbk = platform::Utf8ToGbkExact(utf8);
  if (!gbk) throw SourceError("text cannot be stored as GBK: " + utf8);
  return *gbk;
}

std::string IdsHeaderText(const BuiltForm& form, const std::string& ns) {
  std::ostringstream o;
  o << "// Generated by tolvaran-formbuild from the form source's code names. Do not edit.\n"
       "#pragma once\n#include <cstdint>\n\nnamespace " << ns << " {\n\n";
  char hex[16];
  for (const NamedId& named : form.ids) {
    std::snprintf(hex, sizeof hex, "0x%08x", named.id);
    o << "inline constexpr uint32_t " << named.name << " = " << hex << ";\n";
  }
  o << "\n// The type codes of the component kinds.\n";
  for (const rt::UnitKindFacts* type : KnownTypes()) {
    std::string name(type->englishName);
    name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    std::snprintf(hex, sizeof hex, "0x%x", type->typeCode);
    o << "inline constexpr uint32_t kType" << name << " = " << hex << ";\n";
  }
  o << "\n}  // namespace " << ns << "\n";
  return o.str();
}

std::vector<std::string> ParseHandlerList(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    auto tokens = Tokenize(line);
    if (!tokens.empty()) out.push_back(tokens[0].text);
  }
  return out;
}

BuiltForm BuildForm(const std::string& sourceText, std::vector<std::string> handlers,
                    const BuildOptions& options) {
  int lineNo = 0;
  try {
    Builder b(std::move(handlers), options);
    std::istringstream in(sourceText);
    std::string line;
    while (std::getline(in, line)) {
      ++lineNo;
      auto tokens = Tokenize(line);
      if (!tokens.empty()) b.Line(tokens);
    }
    lineNo = 0;
    BuiltForm f = b.Finish();
    if (f.windows.empty()) throw SourceError("no window described");
    return f;
  } catch (const SourceError& e) {
    throw SourceError(lineNo ? std::to_string(lineNo) + ": " + e.what() : std::string(e.what()));
  }
}

}  // namespace formbuild
