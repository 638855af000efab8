// Logical fonts realised through FreeType, their faces found by ChooseFace
// (font_match.cpp: fontconfig; font_match_web.cpp: the faces bundled with the page).
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/byte_reader.h"
#include "platform/font_internal.h"
#include "platform/text.h"

namespace platform {

// ---- the logical-font record -------------------------------------------------------------

namespace {

constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5";  // 宋体 in GBK
constexpr char kHeiTi[] = "\xBA\xDA\xCC\xE5";   // 黑体 in GBK

}  // namespace

bool LogFontFromBytes(const uint8_t* data, size_t size, LogFont& out) {
  if (!data || size != sizeof(LogFont)) return false;
  ByteReader r({data, size});
  LogFont lf;
  ReadAll(r, lf.height, lf.width, lf.escapement, lf.orientation, lf.weight, lf.italic,
          lf.underline, lf.strikeOut, lf.charSet, lf.outPrecision, lf.clipPrecision, lf.quality,
          lf.pitchAndFamily);
  const auto face = r.Bytes(sizeof(lf.faceName));
  if (!r.Ok()) return false;
  std::memcpy(lf.faceName, face.data(), face.size());
  out = lf;
  return true;
}

std::vector<uint8_t> LogFontToBytes(const LogFont& lf) {
  ByteWriter w;
  for (int32_t v : {lf.height, lf.width, lf.escapement, lf.orientation, lf.weight}) w.I32Le(v);
  for (uint8_t v : {lf.italic, lf.underline, lf.strikeOut, lf.charSet, lf.outPrecision,
                    lf.clipPrecision, lf.quality, lf.pitchAndFamily})
    w.U8(v);
  w.Bytes({reinterpret_cast<const uint8_t*>(lf.faceName), sizeof(lf.faceName)});
  return std::move(w.Data());
}

LogFont DefaultGuiFont() {
  LogFont lf;
  lf.height = -12;
  lf.weight = 400;
  lf.charSet = 134;
  std::memcpy(lf.faceName, kSongTi, sizeof(kSongTi));
  return lf;
}

// ---- finding a face ------------------------------------------------------------------------

namespace {

// One lock for FreeType and fontconfig: neither the library object nor faces being
// created may be touched from two threads at once, and fonts are rarely made.
// Deliberately never destroyed: fonts may still be released during static destruction.
std::mutex& LibraryMutex() {
  static auto* m = new std::mutex;
  return *m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

// Desktop face names that no Linux font carries, mapped to installed faces of the same
// kind. Everything else is asked for by its own name.
std::string HostFamily(std::string_view gbkName) {
  static const std::pair<std::string_view, std::string_view> kAliases[] = {
      {kSongTi, "AR PL UMing CN"},
      {"\xD0\xC2\xCB\xCE\xCC\xE5", "AR PL UMing CN"},  // 新宋体
      {"\xB7\xC2\xCB\xCE", "AR PL UMing CN"},          // 仿宋
      {"SimSun", "AR PL UMing CN"},
      {"NSimSun", "AR PL UMing CN"},
      {kHeiTi, "WenQuanYi Zen Hei"},
      {"\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", "WenQuanYi Zen Hei"},  // 微软雅黑
      {"SimHei", "WenQuanYi Zen Hei"},
      {"Microsoft YaHei", "WenQuanYi Zen Hei"},
  };
  if (gbkName.empty()) gbkName = kSongTi;  // the default face of a Chinese desktop
  for (const auto& [from, to] : kAliases) {
    if (gbkName == from) return std::string(to);
  }
  return CodePointsToUtf8(GbkToCodePoints(gbkName));
}

// Pixel sizes beyond this are clamped: nothing on a 640 x 480 stage needs larger text,
// and a damaged record must not ask for gigantic glyph bitmaps.
constexpr int kMaxPixels = 1024;

}  // namespace

// ---- realisation ---------------------------------------------------------------------------

Font::Font(const LogFont& lf) : logical_(lf) {
  std::lock_guard<std::mutex> lock(LibraryMutex());
  Realise();
}

Font::~Font() {
  if (face_) {
    std::lock_guard<std::mutex> lock(LibraryMutex());
    FT_Done_Face(face_);
  }
}

// Metrics for a font without any face: text takes up space but draws nothing.
void Font::NominalMetrics() {
  const int64_t h = logical_.height;
  em_ = h == 0 ? 12 : int(std::clamp<int64_t>(h < 0 ? -h : h, 1, kMaxPixels));
  ascent_ = (em_ * 7 + 4) / 8;
  descent_ = em_ - ascent_;
  underlineOffset_ = std::min(1, descent_);
  strikeOffset_ = -std::max(1, ascent_ / 3);
}

void Font::Realise() {
  NominalMetrics();
  const bool bold = logical_.weight >= 600, italic = logical_.italic != 0;
  monochrome_ = logical_.quality == 3;  // NONANTIALIASED_QUALITY
  const std::string wanted = HostFamily(std::string_view(
      logical_.faceName, strnlen(logical_.faceName, sizeof(logical_.faceName))));
  detail::FaceChoice choice;
  FT_Library lib = Library();
  if (!lib || !detail::ChooseFace(wanted, bold, italic, choice)) return;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, choice.file.c_str(), choice.index, &face) != 0) return;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    FT_Done_Face(face);
    return;
  }
  face_ = face;
  family_ = choice.family;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  // Ask the face itself: fontconfig reports the style it was asked for when its own
  // configuration plans synthetic bold or slant, which we apply ourselves.
  const bool faceBold = (face->style_flags & FT_STYLE_FLAG_BOLD) ||
                        (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
  emboldenSynthetic_ = bold && !faceBold;
  obliqueSynthetic_ = italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);

  // The cell of the classic desktop is the Windows ascent plus descent of the face.
  const double upem = face->units_per_EM;
  double asc = face->ascender, desc = -face->descender;
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  if (asc + desc <= 0) { asc = upem * 0.88; desc = upem * 0.12; }
  const int64_t h = logical_.height;
  double emPx;
  int cell;
  if (h > 0) {
    cell = int(std::min<int64_t>(h, kMaxPixels));
    emPx = cell * upem / (asc + desc);
  } else {
    emPx = h == 0 ? 12.0 : double(std::min<int64_t>(-h, kMaxPixels));
    cell = std::max(1, int(std::lround((asc + desc) * emPx / upem)));
  }
  double widthPx = emPx;
  if (logical_.width > 0) {
    // A requested width is an average character width.
    const double avg = (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) ? os2->xAvgCharWidth : upem / 2;
    widthPx = std::min<double>(double(logical_.width) * upem / avg, kMaxPixels);
  }
  FT_Set_Char_Size(face, FT_F26Dot6(std::lround(widthPx * 64)), FT_F26Dot6(std::lround(emPx * 64)), 72, 72);
  em_ = std::max(1, int(std::lround(emPx)));
  ascent_ = std::clamp(int(std::lround(asc * emPx / upem)), 0, cell);
  descent_ = cell - ascent_;

  const double scale = emPx / upem;
  underlineThickness_ = std::max(1, int(std::lround(face->underline_thickness * scale)));
  underlineOffset_ = face->underline_position != 0
                         ? std::max(1, int(std::lround(-face->underline_position * scale)) - underlineThickness_ / 2)
                         : std::max(1, descent_ / 2);
  underlineOffset_ = std::min(underlineOffset_, std::max(0, descent_ - underlineThickness_));
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    strikeThickness_ = std::max(1, int(std::lround(os2->yStrikeoutSize * scale)));
    strikeOffset_ = -int(std::lround(os2->yStrikeoutPosition * scale)) - strikeThickness_ / 2;
  } else {
    strikeThickness_ = underlineThickness_;
    strikeOffset_ = -std::max(1, int(std::lround(ascent_ * 0.3)));
  }
  // Synthetic bold thickens stems by about one pixel at text sizes, more when large.
  emboldenStrength_ = emboldenSynthetic_ ? std::max<long>(64, std::lround(emPx * 64 / 18)) : 0;
  if (obliqueSynthetic_) {
    FT_Matrix shear{0x10000, 0x3800, 0, 0x10000};  // about 12 degrees
    FT_Set_Transform(face, &shear, nullptr);
  }
}

Font* Font::Linked() {
  if (!linkTried_) {
    linkTried_ = true;
    LogFont lf = logical_;
    std::memset(lf.faceName, 0, sizeof(lf.faceName));
    std::memcpy(lf.faceName, kSongTi, sizeof(kSongTi));
    auto linked = std::make_unique<Font>(lf);
    if (linked->HasFace() && linked->family_ != family_) linked_ = std::move(linked);
  }
  return linked_.get();
}

// ---- glyphs ----------------------------------------------------------------------------------

const Font::Glyph& Font::GetGlyph(char32_t c) {
  auto it = glyphs_.find(c);
  if (it != glyphs_.end()) return it->second;
  return glyphs_.emplace(c, Render(c)).first->second;
}

Font::Glyph Font::Render(char32_t c) {
  Glyph g;
  const bool wide = c >= 0x2E80;
  if (!face_) {
    // Nothing to draw; keep the layout of a fixed-pitch Chinese font.
    g.advance = c < 0x20 ? 0 : (wide ? em_ : (em_ + 1) / 2);
    return g;
  }
  const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(c));
  if (index == 0 && c < 0x20) return g;  // control characters take no room
  if (index == 0 && c >= 0x80) {
    if (Font* linked = Linked()) return linked->Render(c);
  }
  // Chinese strokes keep their shape best with the light auto-hinter; Latin text uses
  // the font's own hinting. Synthetic styles need outlines, not embedded bitmaps.
  FT_Int32 flags = wide ? (FT_LOAD_FORCE_AUTOHINT | FT_LOAD_TARGET_LIGHT) : FT_LOAD_TARGET_NORMAL;
  if (monochrome_) flags = FT_LOAD_TARGET_MONO;
  if (emboldenSynthetic_ || obliqueSynthetic_) flags |= FT_LOAD_NO_BITMAP;
  if (FT_Load_Glyph(face_, index, flags) != 0) return g;
  FT_GlyphSlot slot = face_->glyph;
  long advance = slot->advance.x;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE && emboldenStrength_ > 0) {
    FT_Outline_EmboldenXY(&slot->outline, emboldenStrength_, 0);
    advance += emboldenStrength_;
  }
  if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
      FT_Render_Glyph(slot, monochrome_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
    return g;
  }
  g.advance = int((advance + 32) >> 6);
  const FT_Bitmap& bm = slot->bitmap;
  if (bm.width == 0 || bm.rows == 0) return g;
  if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return g;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = int(bm.width);
  g.height = int(bm.rows);
  g.coverage.resize(size_t(g.width) * size_t(g.height));
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* out = g.coverage.data() + size_t(y) * size_t(g.width);
    for (int x = 0; x < g.width; ++x) {
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      } else {
        out[x] = bm.num_grays == 256 ? row[x] : uint8_t(row[x] * 255 / std::max(1, bm.num_grays - 1));
      }
    }
  }
  return g;
}

// ---- the font cache ----------------------------------------------------------------------------

FontMetrics GetFontMetrics(const Font& f) {
  return {f.Ascent(), f.Descent(), f.EmPixels(), f.Family()};
}

std::shared_ptr<Font> CreateFont(const LogFont& lf) {
  // Realised fonts live for the whole run: a form asks for the same few again and again.
  static std::mutex cacheMutex;
  static auto& cache = *new std::map<std::array<uint8_t, sizeof(LogFont)>, std::shared_ptr<Font>>;
  std::array<uint8_t, sizeof(LogFont)> key;
  std::memcpy(key.data(), &lf, sizeof(LogFont));
  std::lock_guard<std::mutex> lock(cacheMutex);
  auto& slot = cache[key];
  if (!slot) slot = std::make_shared<Font>(lf);
  return slot;
}

}  // namespace platform
