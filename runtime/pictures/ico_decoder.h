// Icons and cursors: the best entry of the directory (largest, then deepest colour),
// drawn at its own size over white. Entries may be bitmaps with an AND mask (32-bit ones
// with alpha) or embedded PNG files.
#pragma once
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt::pictures {

bool SniffIcon(std::span<const uint8_t> bytes);
bool SniffCursor(std::span<const uint8_t> bytes);
std::optional<platform::Surface> DecodeIcon(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
