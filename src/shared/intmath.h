#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// Integer helpers for design geometry. Coordinates come from files and streams, so sums
// are formed in 64 bits and results wrap to 32 bits instead of overflowing. The rectangle and
// zoom helpers built on these are in common.h.

namespace intmath {

constexpr std::int32_t Wrap(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

constexpr std::int32_t Add(std::int32_t a, std::int32_t b) {
  return Wrap(static_cast<std::int64_t>(a) + b);
}

// (a + b) / 2, truncated toward zero.
constexpr std::int32_t Mid(std::int32_t a, std::int32_t b) {
  return Wrap((static_cast<std::int64_t>(a) + b) / 2);
}

// A length in 0.1 mm as 96-dpi pixels: v * 96 / 254, truncated toward zero.
constexpr std::int32_t ToPixels(std::int64_t v) { return Wrap(v * 96 / 254); }

constexpr TRect Moved(const TRect& r, std::int32_t dx, std::int32_t dy) {
  return {Add(r.left, dx), Add(r.top, dy), Add(r.right, dx), Add(r.bottom, dy)};
}

// The rectangle in 0.1 mm moved by minus origin and converted to pixels.
constexpr TRect ViewOf(const TRect& raw, TPoint origin) {
  return {ToPixels(static_cast<std::int64_t>(raw.left) - origin.x),
          ToPixels(static_cast<std::int64_t>(raw.top) - origin.y),
          ToPixels(static_cast<std::int64_t>(raw.right) - origin.x),
          ToPixels(static_cast<std::int64_t>(raw.bottom) - origin.y)};
}

}  // namespace intmath
