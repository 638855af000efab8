// The `Label` component: a text in its font and colours over an
// optional background colour or picture, with an optional border.
//
// Own block, version 2: the fields of LabelFields() in order; older versions hold the
// same fields as far as they go.
#pragma once
#include <array>
#include <optional>
#include <span>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/forms/component.h"
#include "runtime/forms/stored_fields.h"

namespace rt {

inline constexpr uint32_t kLabelTypeCode = 0x1000A;

struct LabelSettings {
  int32_t border = 0;  // 0 none, 1 sunken, 2 raised, 3 shallow sunken, 4 frame, 5 single line
  uint32_t textColour = 0;  // 0x00BBGGRR; 0xFF000000: the window text colour
  uint32_t backColour = 0xFF000000;  // 0xFF000000: the button-face colour
  int32_t alignment = 0;          // 0 left, 1 centred, 2 right
  int32_t verticalAlignment = 0;  // 0 top, 1 centred, 2 bottom
  int32_t wordWrap = 0;
  int32_t transparent = 0;        // the form shows through
  int32_t picDrawMode = 0;        // 0 top-left, 1 stretched, 2 centred, 3 tiled
  int32_t margin = 0;             // inside the border, pixels
  int32_t lineSpacing = 0;        // extra, pixels
  int32_t reserved10 = 0, reserved11 = 0, reserved12 = 0, reserved13 = 0, reserved14 = 0,
          reserved15 = 0;         // kept, not used
  std::vector<uint8_t> picture;
  std::vector<uint8_t> font;  // 60 bytes or empty: the default user-interface font
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

// The own block's fields, and the kind's type code.
const FieldTable<LabelSettings>& LabelFields();

// nullopt for a version above 2.
std::optional<LabelSettings> ParseLabelBlock(std::span<const uint8_t> block);
std::vector<uint8_t> EncodeLabelBlock(const LabelSettings& s);

UnitType LabelUnitType();

}  // namespace rt
