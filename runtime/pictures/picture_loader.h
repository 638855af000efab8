// The runtime's picture loader: picture bytes to one opaque still bitmap.
// BMP, JPEG (libjpeg), icon and cursor (over white), first GIF image, PCX.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt {

// nullopt for unknown, undecodable or truncated data (nothing is reported).
// The bitmap's pixels are opaque (alpha 0xFF).
std::optional<platform::Surface> LoadPicture(std::span<const uint8_t> bytes);

}  // namespace rt
