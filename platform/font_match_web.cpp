// Faces in the browser: the two faces the page bundles (subset to the characters the game
// can show), found by family name as fontconfig finds them on the desktop. A family the
// page does not carry gets the Chinese sans face, as fontconfig's Chinese fallback does.
#include <sys/stat.h>

#include <strings.h>

#include "platform/font_internal.h"

namespace platform::detail {

namespace {

struct BundledFace {
  const char* family;
  const char* file;
};
constexpr BundledFace kFaces[] = {
    {"AR PL UMing CN", "/fonts/uming.ttf"},
    {"WenQuanYi Zen Hei", "/fonts/wqy-zenhei.ttf"},
};
constexpr const BundledFace& kChineseFallback = kFaces[1];

bool Present(const char* file) {
  struct stat st {};
  return stat(file, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool ChooseFace(const std::string& family, bool, bool, FaceChoice& out) {
  const BundledFace* chosen = &kChineseFallback;
  for (const BundledFace& f : kFaces)
    if (strcasecmp(f.family, family.c_str()) == 0) chosen = &f;
  if (!Present(chosen->file)) return false;
  out.file = chosen->file;
  out.family = chosen->family;
  out.index = 0;
  return true;
}

}  // namespace platform::detail
