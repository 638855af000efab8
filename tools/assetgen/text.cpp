#include "tools/assetgen/text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

namespace assetgen {

struct TextRenderer::Impl {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
};

namespace {
std::vector<char32_t> Decode(const std::string& s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += size_t(n);
  }
  return out;
}
}  // namespace

std::unique_ptr<TextRenderer> TextRenderer::Open(const std::string& family) {
  std::string path;
  if (FcInit()) {
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && family == reinterpret_cast<char*>(fam))
      path = reinterpret_cast<char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
  }
  if (path.empty()) return nullptr;
  std::unique_ptr<TextRenderer> r(new TextRenderer);
  r->impl_ = std::make_unique<Impl>();
  if (FT_Init_FreeType(&r->impl_->lib) || FT_New_Face(r->impl_->lib, path.c_str(), 0, &r->impl_->face)) return nullptr;
  return r;
}

TextRenderer::~TextRenderer() {
  if (!impl_) return;
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->lib) FT_Done_FreeType(impl_->lib);
}

int TextRenderer::Measure(const std::string& utf8, int pixelSize) {
  FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(pixelSize));
  int w = 0;
  for (char32_t cp : Decode(utf8))
    if (!FT_Load_Char(impl_->face, cp, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO)) w += int(impl_->face->glyph->advance.x >> 6);
  return w;
}

void TextRenderer::Draw(Mask& m, int x, int baseline, const std::string& utf8, int pixelSize) {
  FT_Set_Pixel_Sizes(impl_->face, 0, FT_UInt(pixelSize));
  for (char32_t cp : Decode(utf8)) {
    if (FT_Load_Char(impl_->face, cp, FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO)) continue;
    FT_GlyphSlot g = impl_->face->glyph;
    const FT_Bitmap& b = g->bitmap;
    for (unsigned row = 0; row < b.rows; ++row)
      for (unsigned col = 0; col < b.width; ++col) {
        const unsigned char* line = b.buffer + int(row) * b.pitch;
        if (line[col >> 3] & (0x80 >> (col & 7))) m.Put(x + g->bitmap_left + int(col), baseline - g->bitmap_top + int(row));
      }
    x += int(g->advance.x >> 6);
  }
}

}  // namespace assetgen
