// The `Label` component (TypeCode 0x1000A): a text in its font and colours over an
// optional background colour or picture, with an optional border.
//
// Own block, version 2 (all integers 32-bit little-endian):
//   version
//   16 settings, by number:
//     0 border: 0 none, 1 sunken, 2 raised, 3 shallow sunken, 4 frame, 5 single line
//     1 text colour (0x00BBGGRR; 0xFF000000: window text colour)
//     2 background colour (0xFF000000: the button-face colour)
//     3 alignment: 0 left, 1 centred, 2 right
//     4 vertical alignment: 0 top, 1 centred, 2 bottom
//     5 word wrap (0/1)
//     6 transparent background (0/1): the form shows through
//     7 picture mode: 0 top-left, 1 stretched, 2 centred, 3 tiled
//     8 margin inside the border, pixels
//     9 extra line spacing, pixels
//     10..15 reserved (kept, not used)
//   picture bytes (length-prefixed, 0: none)
//   font (length-prefixed: a 60-byte logical font, or 0: the default user-interface font)
//   three length-prefixed texts: the label's text, two reserved texts
// Older versions hold the same fields as far as they go.
#pragma once
#include <array>
#include <optional>
#include <span>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/forms/component.h"

namespace rt {

inline constexpr uint32_t kLabelTypeCode = 0x1000A;

struct LabelSettings {
  enum : int {
    kBorder, kTextColour, kBackColour, kAlignment, kVerticalAlignment, kWordWrap,
    kTransparent, kPicDrawMode, kMargin, kLineSpacing, kCount = 16
  };
  std::array<int32_t, kCount> values{0, 0, int32_t(0xFF000000), 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> picture;
  std::vector<uint8_t> font;  // 60 bytes or empty
  std::string text, text2, text3;  // GBK
};

// The own properties, index - 8.
enum LabelProperty : int {
  kLabelCaption, kLabelBorder, kLabelTextColour, kLabelBackColour, kLabelTransparent,
  kLabelAlignment, kLabelVerticalAlignment, kLabelWordWrap, kLabelPicture, kLabelPicDrawMode,
  kLabelFont, kLabelMargin, kLabelLineSpacing, kLabelReserved1, kLabelReserved6 = kLabelReserved1 + 5,
  kLabelText2, kLabelText3, kLabelPropertyCount
};
static_assert(kLabelPropertyCount == 21);

// nullopt for a version above 2.
std::optional<LabelSettings> ParseLabelBlock(std::span<const uint8_t> block);
std::vector<uint8_t> EncodeLabelBlock(const LabelSettings& s);

UnitType LabelUnitType();

}  // namespace rt
