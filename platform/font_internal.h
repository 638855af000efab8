// The realised font behind platform::CreateFont: one FreeType face at one size, with
// the cell metrics the classic desktop reports and a cache of rendered glyphs.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/draw.h"

typedef struct FT_FaceRec_* FT_Face;

namespace platform {

namespace detail {

struct FaceChoice {
  std::string file, family;
  int index = 0;
};
// The face for a family name (already mapped from the desktop's names): that family,
// else a Chinese face, else any face at all. False when there is no face anywhere.
bool ChooseFace(const std::string& family, bool bold, bool italic, FaceChoice& out);

}  // namespace detail

class Font {
 public:
  struct Glyph {
    int left = 0, top = 0;  // bitmap offset from the pen position (top is above the baseline)
    int width = 0, height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;  // width x height, 0..255
  };

  explicit Font(const LogFont& lf);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const LogFont& Logical() const { return logical_; }
  bool HasFace() const { return face_ != nullptr; }
  const std::string& Family() const { return family_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int EmPixels() const { return em_; }
  // Lines drawn for underline and strike-out: top relative to the baseline (positive is
  // below it) and thickness, in pixels.
  int UnderlineOffset() const { return underlineOffset_; }
  int UnderlineThickness() const { return underlineThickness_; }
  int StrikeOffset() const { return strikeOffset_; }
  int StrikeThickness() const { return strikeThickness_; }

  // The glyph for one character; the reference stays valid while the font lives. Callers
  // hold Lock() around their use of the font.
  const Glyph& GetGlyph(char32_t c);
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }

 private:
  void Realise();
  void NominalMetrics();
  Glyph Render(char32_t c);
  Font* Linked();


  LogFont logical_;
  FT_Face face_ = nullptr;
  std::string family_;
  bool emboldenSynthetic_ = false;
  bool obliqueSynthetic_ = false;
  bool monochrome_ = false;
  long emboldenStrength_ = 0;  // 26.6 pixels
  int em_ = 12;
  int ascent_ = 10, descent_ = 2;
  int underlineOffset_ = 1, underlineThickness_ = 1;
  int strikeOffset_ = -4, strikeThickness_ = 1;
  std::mutex mutex_;
  std::unordered_map<char32_t, Glyph> glyphs_;
  // Like the classic desktop's font linking: characters this face lacks are taken from
  // the Chinese default face at the same size. Made on first need, used under mutex_.
  std::unique_ptr<Font> linked_;
  bool linkTried_ = false;
};

}  // namespace platform
