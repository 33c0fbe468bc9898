#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "movingpath.h"

// Reads arbitrary record bytes with one foreign reader, then checks that the design's native
// records (what a written file or a machine gets) keep every moving record where it was.
template <class Reader>
int FuzzForeignReader(const std::uint8_t* data, std::size_t size) {
  TStitchItem design;
  if (!Reader{}.Parse(std::span<const std::uint8_t>(data, size), design, true)) return 0;
  if (foreigntest::MovingPathThroughNativeFile(design) != foreigntest::MovingPath(design))
    __builtin_trap();
  return 0;
}
