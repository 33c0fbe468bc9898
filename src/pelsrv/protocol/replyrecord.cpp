#include "pelsrv/protocol/replyrecord.h"

#include <algorithm>

#include "pelsrv/protocol/transferframe.h"
#include "portlink/commandlength.h"

TReplyRecord TReplyRecord::BareCode(std::uint8_t code) {
  TReplyRecord record;
  record.bytes[0] = code;
  record.length = 1;
  return record;
}

TReplyRecord TReplyRecord::FromBytes(std::span<const std::uint8_t> record) {
  TReplyRecord result;
  result.length = std::min(record.size(), kCapacity);
  std::copy_n(record.begin(), result.length, result.bytes.begin());
  return result;
}

std::uint16_t TReplyRecord::U16(std::size_t at) const { return GetU16(bytes, at); }

std::uint32_t TReplyRecord::U32(std::size_t at) const { return GetU32(bytes, at); }

std::size_t SerialReplyLength(std::uint8_t code) { return portlink::CommandLength(code); }

namespace {

// The replies whose payload the reply handler reads, and how many bytes (code included) of
// each; of any other reply it reads the code alone.
struct HandlerRead {
  std::uint8_t code;
  std::uint8_t needed;
};

constexpr HandlerRead kHandlerReads[] = {
    {0x01, 13}, {0x02, 13}, {0x11, 8}, {0x12, 8}, {0x13, 8},
    {0x1E, 8},  {0x20, 20}, {0x60, 8}, {0x61, 2}, {0x82, 4},
};

}  // namespace

std::size_t ReplyBytesNeeded(std::uint8_t code) {
  for (const HandlerRead& read : kHandlerReads) {
    if (read.code == code) return read.needed;
  }
  return 1;
}
