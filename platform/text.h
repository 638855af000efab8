// The runtime's texts are GBK bytes. This is the one place they are converted: to and
// from UTF-8 (host paths, source literals, the form builder) and to Unicode code points
// (text drawing and face names), and the mapping of the game's paths to host paths.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Unconvertible input is passed through byte for byte, so nothing is ever lost.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
// nullopt when any character has no GBK form or the input is not UTF-8.
std::optional<std::string> Utf8ToGbkExact(std::string_view utf8);
// Short helper for literals in source code: gbk("主角").
inline std::string gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

// Whether `b` starts a two-byte GBK character. 0x80 (the euro sign of code page 936)
// and 0xFF stand alone, so the byte after them is always a character of its own; every
// place that walks a text character by character takes its rule from here.
inline constexpr bool IsGbkLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
// One code point per character; a byte that starts no GBK character becomes U+FFFD, so
// damaged text still shows where it is damaged.
std::u32string GbkToCodePoints(std::string_view gbk);
std::string CodePointsToUtf8(std::u32string_view text);

// A path as the game builds it (GBK, backslashes) to a host path (UTF-8, slashes).
// Backslashes are recognised only as whole characters, never as the second byte of a
// two-byte GBK character.
std::string HostPath(std::string_view gbkPath);

}  // namespace platform
