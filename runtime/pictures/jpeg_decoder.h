// JPEG through libjpeg (baseline and progressive; grey, YCbCr, CMYK and YCCK).
#pragma once
#include <optional>
#include <span>

#include "platform/surface.h"

namespace rt::pictures {

bool SniffJpeg(std::span<const uint8_t> bytes);
std::optional<platform::Surface> DecodeJpeg(std::span<const uint8_t> bytes);

}  // namespace rt::pictures
