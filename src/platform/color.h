#pragma once

#include <cstdint>

namespace platform {

// A colour as the designs and palettes store it: red in the low byte, green in the next,
// blue in the third, the top byte zero (0x00BBGGRR).
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
         (static_cast<ColorRef>(blue) << 16);
}
constexpr std::uint8_t RedOf(ColorRef c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(ColorRef c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(ColorRef c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

constexpr ColorRef kBlack = Rgb(0, 0, 0);
constexpr ColorRef kWhite = Rgb(255, 255, 255);

}  // namespace platform
