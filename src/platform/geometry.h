#pragma once

#include <cstdint>

namespace platform {

// A point in pixels or in design units, depending on who holds it.
struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle whose right and bottom edges lie outside it.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace platform
