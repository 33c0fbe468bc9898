#include "pelsrv/replyrecord.h"

#include <algorithm>

#include "pelsrv/transferframe.h"

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

namespace {

// Every reply code a serial line knows: its record length and the bytes the reply handler
// reads of it.
struct ReplyRow {
  std::uint8_t code;
  std::uint8_t serialLength;
  std::uint8_t needed;
};

constexpr ReplyRow kReplyRows[] = {
    {0x01, 13, 13}, {0x02, 13, 13}, {0x0D, 2, 1}, {0x11, 8, 8},   {0x12, 8, 8}, {0x13, 8, 8},
    {0x16, 1, 1},   {0x1E, 8, 8},   {0x1F, 1, 1}, {0x20, 22, 20}, {0x21, 8, 1}, {0x22, 2, 1},
    {0x23, 24, 1},  {0x2F, 5, 1},   {0x41, 5, 1}, {0x45, 3, 1},   {0x4F, 4, 1}, {0x60, 8, 8},
    {0x61, 2, 2},   {0x68, 1, 1},   {0x6A, 2, 1}, {0x6C, 1, 1},   {0x6D, 1, 1}, {0x82, 4, 4},
    {0x83, 4, 1},   {0x84, 1, 1},   {0x85, 1, 1}, {0x87, 1, 1},
};

const ReplyRow* FindRow(std::uint8_t code) {
  for (const ReplyRow& row : kReplyRows) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace

std::size_t SerialReplyLength(std::uint8_t code) {
  const ReplyRow* row = FindRow(code);
  return row ? row->serialLength : 0;
}

std::size_t ReplyBytesNeeded(std::uint8_t code) {
  const ReplyRow* row = FindRow(code);
  return row ? row->needed : 1;
}
