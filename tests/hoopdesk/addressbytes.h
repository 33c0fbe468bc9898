// An IPv4 address b1.b2.b3.b4 as one value in memory order, as discovery reports it.
#pragma once

#include <cstdint>
#include <cstring>

inline std::uint32_t Address(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
  const std::uint8_t bytes[4] = {b1, b2, b3, b4};
  std::uint32_t address;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}
