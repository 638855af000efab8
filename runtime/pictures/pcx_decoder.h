// PCX: 256 colours (8 bits, one plane, palette at the end; three planes read as RGB)
// and monochrome (1 bit, one plane), run-length encoded.
#pragma once
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt::pictures {

bool SniffPcx256(std::span<const uint8_t> bytes);
bool SniffPcxMono(std::span<const uint8_t> bytes);
std::optional<platform::Surface> DecodePcx(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
