// Faces through fontconfig: the family asked for, else a Chinese face, else any.
#include <fontconfig/fontconfig.h>

#include "platform/font_internal.h"

namespace platform::detail {

namespace {

bool FamilyMatches(FcPattern* font, const std::string& wanted) {
  FcChar8* fam = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(fam, reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0) return true;
  }
  return false;
}

bool SupportsChinese(FcPattern* font) {
  FcLangSet* langs = nullptr;
  if (FcPatternGetLangSet(font, FC_LANG, 0, &langs) != FcResultMatch) return false;
  return FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("zh-cn")) != FcLangDifferentLang;
}

// Asks fontconfig for the best face for `family` (or, when empty, for `lang`) and
// accepts it if `accept` agrees.
template <typename Accept>
bool Match(const std::string& family, const char* lang, bool bold, bool italic, Accept accept,
           FaceChoice& out) {
  FcPattern* pat = FcPatternCreate();
  if (!pat) return false;
  if (!family.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (lang) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!font) return false;
  bool ok = false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  if (result == FcResultMatch && FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch &&
      accept(font)) {
    out.file = reinterpret_cast<const char*>(file);
    out.family = FcPatternGetString(font, FC_FAMILY, 0, &fam) == FcResultMatch
                     ? reinterpret_cast<const char*>(fam) : std::string();
    int index = 0;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    out.index = index;
    ok = true;
  }
  FcPatternDestroy(font);
  return ok;
}

}  // namespace

bool ChooseFace(const std::string& family, bool bold, bool italic, FaceChoice& out) {
  static const bool initialised = FcInit() == FcTrue;
  if (!initialised) return false;
  return Match(family, nullptr, bold, italic, [&](FcPattern* f) { return FamilyMatches(f, family); }, out) ||
         Match("", "zh-cn", bold, italic, SupportsChinese, out) ||
         Match("", nullptr, bold, italic, [](FcPattern*) { return true; }, out);
}

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while parsing its configuration files, and libdbus keeps
// one allocation for the life of the process once SDL's X driver has reached the session
// bus (screen savers, input methods); nothing of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif

}  // namespace platform::detail
