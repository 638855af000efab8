// The loader's view of a GIF: its first image as an opaque still on the logical screen.
#pragma once
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt::pictures {

std::optional<platform::Surface> DecodeGifFirstImage(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
