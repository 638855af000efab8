// Drawing on surfaces in the classic GDI manner: a DC with a selected pen, brush and
// font, a mix mode, text colours and a background mode. Coordinates are logical pixels
// of the DC; a DC maps them onto its surface by an origin and clips to a rectangle.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"
#include "platform/types.h"

namespace platform {

// ---- pens -------------------------------------------------------------------------
enum PenStyle : int {
  PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
  PS_NULL = 5, PS_INSIDEFRAME = 6,
};
struct Pen {
  int style = PS_SOLID;
  int width = 1;  // 0 draws one pixel
  COLORREF colour = 0;
};

// ---- brushes ----------------------------------------------------------------------
enum HatchStyle : int {
  HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3,
  HS_CROSS = 4, HS_DIAGCROSS = 5,
};
struct Brush {
  enum Kind { Null, Solid, Hatch, Pattern } kind = Solid;
  COLORREF colour = 0xFFFFFF;
  int hatch = HS_HORIZONTAL;
  // 8x8 one-bit pattern, row 0 first, bit 7 = leftmost pixel. A set bit draws in the
  // DC's background colour and a clear bit in its text colour, as monochrome pattern
  // brushes do.
  std::array<uint8_t, 8> pattern{};
};

// ---- fonts ------------------------------------------------------------------------
// The 60-byte logical-font record, little-endian, as stored in form descriptions.
#pragma pack(push, 1)
struct LogFont {
  int32_t height = 0;        // < 0: character height in pixels; > 0: cell height
  int32_t width = 0;
  int32_t escapement = 0;    // tenths of a degree
  int32_t orientation = 0;
  int32_t weight = 400;      // 700 bold
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 134;     // GB2312
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  char faceName[32] = {};    // GBK, zero-terminated
};
#pragma pack(pop)
static_assert(sizeof(LogFont) == 60);
// The record to and from its stored bytes, field by field in little-endian order.
bool LogFontFromBytes(const uint8_t* data, size_t size, LogFont& out);  // size must be 60
inline bool LogFontFromBytes(std::span<const uint8_t> bytes, LogFont& out) {
  return LogFontFromBytes(bytes.data(), bytes.size(), out);
}
std::vector<uint8_t> LogFontToBytes(const LogFont& lf);
LogFont DefaultGuiFont();   // the desktop's default user-interface font (9 pt "宋体")
// A stored record, or the default font when there is none (or it is not 60 bytes).
inline LogFont LogFontOrDefault(std::span<const uint8_t> bytes) {
  LogFont lf;
  return LogFontFromBytes(bytes, lf) ? lf : DefaultGuiFont();
}

// A realised font: FreeType face found through fontconfig. "宋体" maps to AR PL UMing,
// "黑体" to WenQuanYi Zen Hei, other names to themselves, then any face for zh.
class Font;
std::shared_ptr<Font> CreateFont(const LogFont& lf);  // never null: falls back
// A realised font's cell (ascent above the baseline, descent below, in pixels), its em
// size and the family found for it (UTF-8; empty when no face was found at all, in which
// case text takes up room but draws nothing).
struct FontMetrics {
  int ascent = 0, descent = 0, emPixels = 0;
  std::string family;
};
FontMetrics GetFontMetrics(const Font& f);

// ---- mix modes ----------------------------------------------------------------------
enum Rop2 : int {
  R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
  R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9,
  R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12, R2_COPYPEN = 13,
  R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16,
};
uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest);  // on 24-bit colour; alpha kept

enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum StretchMode : int { STRETCH_NEAREST = 1, STRETCH_SMOOTH = 2 };

// ---- the drawing context ------------------------------------------------------------
class DC {
 public:
  // A DC onto a surface; origin: where logical (0,0) lands; clip in surface pixels.
  DC(Surface* target, Point origin, Rect clip);
  // The same with holes (surface pixels) it never draws into: the windows above one
  // that clips its siblings. Every call draws each remaining piece of the clip in turn.
  DC(Surface* target, Point origin, Rect clip, std::span<const Rect> holes);
  explicit DC(Surface* target);  // memory DC over the whole surface
  ~DC();

  Surface* Target() const { return target_; }
  Point Origin() const { return origin_; }
  Rect Clip() const { return clip_; }       // surface pixels (bounding box, holes aside)
  void SetClip(const Rect& logical);        // intersected with the surface

  void SelectPen(const Pen& p) { pen_ = p; }
  void SelectBrush(const Brush& b) { brush_ = b; }
  void SelectFont(std::shared_ptr<Font> f) { font_ = std::move(f); }
  const Pen& GetPen() const { return pen_; }
  const Brush& GetBrush() const { return brush_; }
  std::shared_ptr<Font> GetFont() const;    // the default GUI font when none selected
  void SetRop2(int r) { rop2_ = r; }
  int GetRop2() const { return rop2_; }
  void SetTextColor(COLORREF c) { textColour_ = c; }
  COLORREF GetTextColor() const { return textColour_; }
  void SetBkColor(COLORREF c) { bkColour_ = c; }
  COLORREF GetBkColor() const { return bkColour_; }
  void SetBkMode(int m) { bkMode_ = m; }
  int GetBkMode() const { return bkMode_; }

  // Fills with a brush (ignores the mix mode, as FillRect does).
  void FillRect(const Rect& r, const Brush& b);
  void FillSolid(const Rect& r, COLORREF c);
  // Outline with the pen and interior with the brush, both through the mix mode.
  // Covers [left, right) x [top, bottom) like the classic call; every pixel is mixed
  // once. A pen wider than one pixel is centred on the outline (PS_INSIDEFRAME keeps it
  // inside); the dash styles apply to pens of width 0 and 1 only, their gaps drawn in
  // the background colour when the background mode is OPAQUE.
  void Rectangle(int left, int top, int right, int bottom);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void SetPixel(int x, int y, COLORREF c);  // plain copy, no mix mode

  // Copies pixels (alpha forced opaque) from src. Source pixels outside src are skipped.
  // StretchBlt mirrors when the signs of w and sw (or h and sh) differ; STRETCH_SMOOTH
  // averages the covered source area when shrinking and interpolates bilinearly when
  // growing.
  void BitBlt(int x, int y, int w, int h, const Surface& src, int sx, int sy);
  void StretchBlt(int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw,
                  int sh, int mode = STRETCH_NEAREST);

  // GBK text, one line per call (no line breaking); '&' has no special meaning.
  void TextOut(int x, int y, std::string_view gbk);
  Point GetTextExtent(std::string_view gbk);  // {width, height}

 private:
  void RectangleInClip(int left, int top, int right, int bottom);
  void LineInClip(Point from, Point to);
  void TextOutInClip(int x, int y, std::string_view gbk);
  void BlitInClip(int x, int y, int w, int h, const Surface& src, int sx, int sy);
  void StretchInClip(int x, int y, int w, int h, const Surface& src, int sx, int sy, int sw,
                     int sh, int mode);

  Surface* target_;
  Point origin_;
  Rect clip_;
  Rect baseClip_;  // the clip given at construction; SetClip never widens past it
  // The clip with the holes cut out; empty when there are no holes, so the common DC
  // draws once with clip_ as it is.
  std::vector<Rect> pieces_;
  bool holed_ = false;
  // Runs one drawing call once per piece, clip_ narrowed to it. Every pixel lies in one
  // piece at most, so mix modes still touch it once; the dash position starts each pass
  // where the call found it, so a styled line keeps its pattern across the holes.
  template <class Draw>
  void EachPiece(Draw draw) {
    if (!holed_) {
      draw();
      return;
    }
    const Rect whole = clip_;
    const int dash = dashPos_;
    int dashAfter = dash;
    for (const Rect& piece : pieces_) {
      clip_ = Intersect(piece, whole);
      dashPos_ = dash;
      draw();
      dashAfter = dashPos_;
    }
    if (pieces_.empty()) {
      // Everything is covered: nothing shows, but the pattern still moves on.
      clip_ = Rect{};
      draw();
      dashAfter = dashPos_;
    }
    clip_ = whole;
    dashPos_ = dashAfter;
  }
  Pen pen_;
  Brush brush_;
  std::shared_ptr<Font> font_;
  int rop2_ = R2_COPYPEN;
  COLORREF textColour_ = 0;
  COLORREF bkColour_ = 0xFFFFFF;
  int bkMode_ = OPAQUE;
  Point current_;
  int dashPos_ = 0;  // position in a styled pen's dash pattern; restarts at MoveTo
};

// ---- system metrics -------------------------------------------------------------------
enum SysColour : int { COLOR_BTNFACE = 15, COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8 };
COLORREF GetSysColor(int index);  // COLOR_BTNFACE: 0xF0F0F0
inline constexpr int kBitsPerPixel = 32;
inline constexpr int kDotsPerInch = 96;

}  // namespace platform
