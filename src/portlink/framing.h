#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "portlink/commandlength.h"
#include "portlink/portlink.h"

// Cutting received bytes into machine commands, and decoding a command into the records.
namespace portlink {

// Collects the bytes of one command across reads.
class CommandAssembler {
 public:
  enum class Status { kIncomplete, kComplete, kUndefined };
  struct Result {
    Status status;
    std::size_t taken;
  };

  // Takes as many of the bytes as the command in progress still needs (starting a new
  // command at bytes[0] when none is in progress).
  Result Offer(std::span<const std::uint8_t> bytes);
  // The last complete command (valid after kComplete until the next Offer).
  std::span<const std::uint8_t> Command() const { return {buffer_.data(), length_}; }
  void Reset();

 private:
  std::array<std::uint8_t, 32> buffer_{};
  std::size_t expected_ = 0;  // 0 = no command in progress
  std::size_t held_ = 0;
  std::size_t length_ = 0;
};

// Writes what a complete command (its table length, code first) says into the records.
// ttyInfo may be null; it names the receive copy buffer that 'E' fills.
void DecodeCommand(std::span<const std::uint8_t> command, SYSInfo& sys, CMDInfo* cmd, TTYInfo* tty);

// Copies bytes into the TTYInfo's receive copy buffer, cut to its size. When terminate is set a
// NUL follows (inside the size). Does nothing without a buffer.
void CopyToReceiveBuffer(TTYInfo& tty, std::span<const std::uint8_t> bytes, bool terminate);

}  // namespace portlink
