// A machine reply as it reaches the connection: the code byte first, then as much payload as the
// transport read, carried by value. A reply handed over without its payload is the code alone.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

struct TReplyRecord {
  static constexpr std::size_t kCapacity = 32;

  std::array<std::uint8_t, kCapacity> bytes{};
  std::size_t length = 0;  // bytes present, the code byte included

  // A bare code: what a transport hands over when it read no payload.
  static TReplyRecord BareCode(std::uint8_t code);
  // A whole record; bytes beyond the capacity are not kept.
  static TReplyRecord FromBytes(std::span<const std::uint8_t> record);

  std::uint8_t Code() const { return length > 0 ? bytes[0] : 0; }
  std::uint8_t U8(std::size_t at) const { return bytes[at]; }
  std::uint16_t U16(std::size_t at) const;
  std::uint32_t U32(std::size_t at) const;
};

// Record length in bytes (code included) of each reply on a serial line; 0 for a code the
// framing does not know.
std::size_t SerialReplyLength(std::uint8_t code);

// Bytes (code included) the reply handler reads for a code. A shorter record is not acted on.
std::size_t ReplyBytesNeeded(std::uint8_t code);
