#pragma once

#include <cstdint>

// The small value types that the design code shares with the Windows programs it talks to:
// a colour value laid out as Windows stores it, and integer points and rectangles.

// Red in bits 0-7, green in 8-15, blue in 16-23, top byte 0.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GetGValue(COLORREF c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(COLORREF c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and bottom are exclusive where a rectangle is drawn, inclusive where it bounds points.
struct TRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};
