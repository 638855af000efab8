// The `HyperLinker` component: a clickable text that opens a web or
// mail address, drawn normal, hovered (mouse captured) or visited.
//
// Own block, version 1: the fields of HyperLinkerFields() in order.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/forms/component.h"
#include "runtime/forms/stored_fields.h"

namespace rt {

inline constexpr uint32_t kHyperLinkerTypeCode = 0x1001D;

struct HyperLinkerSettings {
  int32_t linkType = 1;  // 0 mail, 1 web; other values count as the nearer one
  uint32_t normalColour = 0x00FF0000;
  uint32_t visitedColour = 0x00800080;
  uint32_t hoverColour = 0x000000FF;
  uint32_t backColour = 0xFF000000;
  int32_t selection = 0;
  std::vector<uint8_t> font;  // 60 bytes or empty
  std::string caption, mailAddress, webAddress;  // GBK
};

enum HyperLinkerProperty : int {
  kLinkType, kLinkNormalColour, kLinkVisitedColour, kLinkHoverColour, kLinkBackColour,
  kLinkSelection, kLinkFont, kLinkCaption, kLinkMailAddress, kLinkWebAddress, kLinkPropertyCount
};
static_assert(kLinkPropertyCount == 10);

// The own block's fields, and the kind's type code.
const FieldTable<HyperLinkerSettings>& HyperLinkerFields();

std::optional<HyperLinkerSettings> ParseHyperLinkerBlock(std::span<const uint8_t> block);
std::vector<uint8_t> EncodeHyperLinkerBlock(const HyperLinkerSettings& s);

// What activating opens: the web address, or "mailto:" + the mail address (GBK); empty
// when there is nothing to open.
std::string LinkTarget(const HyperLinkerSettings& s);
// The fallback command: the registered ".htm" command cut before its "%1" placeholder
// (and the quotes around it), a blank and the target. Empty when none is registered.
std::string HtmFallbackCommand(const std::string& registered, const std::string& target);

UnitType HyperLinkerUnitType();

}  // namespace rt
