#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Little-endian integers at a byte offset of a buffer: the one way every record, frame and
// stream of the system stores its words. The caller has checked that the bytes lie in the
// buffer.

constexpr std::uint16_t GetU16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

constexpr std::uint32_t GetU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return GetU16(bytes, at) | (static_cast<std::uint32_t>(GetU16(bytes, at + 2)) << 16);
}

constexpr void PutU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr void PutU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, static_cast<std::uint16_t>(value));
  PutU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}
