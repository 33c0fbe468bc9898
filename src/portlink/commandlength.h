#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

// The length of each machine command on a serial line, fixed by its code byte. Header-only, so
// that the machine server reads the same table as the library without linking its internals.
namespace portlink {

// Total length of each command, code byte included, by its code; ends with (0, 0).
inline constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, 29> CommandLengthTable = {{
    {0x01, 13}, {0x02, 13}, {0x11, 8}, {0x12, 8}, {0x13, 8},  {0x1E, 8}, {0x20, 22}, {0x21, 8},
    {0x82, 4},  {0x84, 1},  {0x85, 1}, {0x83, 4}, {0x1F, 1},  {0x87, 1}, {0x2F, 5},  {0x4F, 4},
    {0x45, 3},  {0x0D, 2},  {0x41, 5}, {0x22, 2}, {0x23, 24}, {0x60, 8}, {0x61, 2},  {0x68, 1},
    {0x6C, 1},  {0x6D, 1},  {0x6A, 2}, {0x16, 1}, {0x00, 0},
}};

// The longest command (0x23).
inline constexpr std::size_t kMaxCommand = 24;

// The command's total length, or 0 when the code is not in the table.
constexpr std::size_t CommandLength(std::uint8_t code) {
  for (const auto& [c, length] : CommandLengthTable) {
    if (length == 0) break;
    if (c == code) return length;
  }
  return 0;
}

}  // namespace portlink
