// Command records the service sends to a machine, besides the transfer frames.
#pragma once

#include <array>
#include <cstdint>
#include <span>

struct TSyncCommand {
  std::array<std::uint8_t, 8> bytes{};
  std::uint32_t length = 0;  // 1, 2, 3, 4 or 8; only the first length bytes are sent

  std::uint8_t Code() const { return bytes[0]; }
  std::span<const std::uint8_t> Wire() const { return {bytes.data(), length}; }
};
static_assert(sizeof(TSyncCommand) == 12);

// Command codes.
inline constexpr std::uint8_t kCmdSyncSetup = 0xC0;
inline constexpr std::uint8_t kCmdSyncMode = 0xC1;
inline constexpr std::uint8_t kCmdGroupStop = 0xC8;
inline constexpr std::uint8_t kCmdGroupSpeed = 0xCA;
inline constexpr std::uint8_t kCmdWithdrawSetup = 0xCC;
inline constexpr std::uint8_t kCmdProgressRequest = 0xD0;
inline constexpr std::uint8_t kCmdIdentityRequest = 0xD1;
inline constexpr std::uint8_t kCmdFileNameRequest = 0xE0;
inline constexpr std::uint8_t kCmdTransferEnd = 0x43;  // 'C'
inline constexpr std::uint8_t kCmdModemProbe = 0x41;   // 'A' of "AT\r"

TSyncCommand MakeCommand(std::uint8_t code);
TSyncCommand MakeCommand(std::uint8_t code, std::uint8_t value);
// The 8-byte record: code, value, speed / 10 (low 8 bits), 0, then the two words little-endian.
TSyncCommand MakeCommand(std::uint8_t code, std::uint8_t value, std::uint16_t word1,
                         std::uint16_t word2, std::int32_t speed);
// 'C' 0x00 and the transfer word: acknowledges the end of a transfer.
TSyncCommand MakeTransferEnd(std::uint16_t transferWord);
// "AT" and a carriage return, probing for a modem on a serial line.
TSyncCommand MakeModemProbe();
