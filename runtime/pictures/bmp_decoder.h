// BMP files: 1, 4, 8 bits through a colour table, 16 and 32 bits with or without masks,
// 24 bits, run-length 4 and 8 bits; bottom-up and top-down.
#pragma once
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt::pictures {

bool SniffBmp(std::span<const uint8_t> bytes);
std::optional<platform::Surface> DecodeBmp(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
