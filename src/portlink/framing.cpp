#include "portlink/framing.h"

#include <algorithm>
#include <cstring>

#include "platform/littleendian.h"

namespace portlink {

CommandAssembler::Result CommandAssembler::Offer(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {Status::kIncomplete, 0};
  if (expected_ == 0) {
    expected_ = CommandLength(bytes[0]);
    if (expected_ == 0) {
      Reset();
      return {Status::kUndefined, 0};
    }
    held_ = 0;
  }
  const std::size_t take = std::min(bytes.size(), expected_ - held_);
  std::copy_n(bytes.begin(), take, buffer_.begin() + held_);
  held_ += take;
  if (held_ < expected_) return {Status::kIncomplete, take};
  length_ = expected_;
  buffer_[length_] = 0;
  expected_ = 0;
  held_ = 0;
  return {Status::kComplete, take};
}

void CommandAssembler::Reset() {
  expected_ = 0;
  held_ = 0;
  length_ = 0;
  buffer_[0] = 0;
}

void CopyToReceiveBuffer(TTYInfo& tty, std::span<const std::uint8_t> bytes, bool terminate) {
  if (tty.rxCopy == nullptr) return;
  std::size_t size = tty.rxCopySize;
  if (size == 0) size = tty.rxMode == 1 ? kMaxCommand : 513;
  const std::size_t room = terminate ? size - 1 : size;
  const std::size_t n = std::min(bytes.size(), room);
  std::memcpy(tty.rxCopy, bytes.data(), n);
  if (terminate) tty.rxCopy[n] = 0;
}

namespace {

std::int32_t I16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int16_t>(GetU16(b, at));
}

// The reader thread decodes the identity too, so the record is written as shared fields.
void DecodeIdentity(std::span<const std::uint8_t> b, CMDInfo& cmd) {
  CMDInfo identity{};
  identity.machineType = b[1];
  identity.value2 = b[2];
  identity.value3 = GetU16(b, 3);
  identity.value5 = GetU16(b, 5);
  identity.value7 = GetU16(b, 7);
  identity.value9 = GetU16(b, 9);
  if (b[1] == 0x10) {
    identity.code = b[11];
    identity.value11 = b[12];
  } else {
    identity.value11 = GetU16(b, 11);
    identity.code = b[0];
  }
  StoreShared(cmd, identity);
}

// The record is at least 53 bytes (the caller's promise).
void DecodeReply23(std::span<const std::uint8_t> b, std::uint8_t* rec) {
  const std::span<std::uint8_t> out(rec, 53);
  std::memset(rec, 0, 14);
  std::memcpy(rec, &b[2], 12);
  PutU32(out, 16, GetU32(b, 14));
  PutU16(out, 20, b[18]);
  std::memcpy(rec + 48, &b[19], 5);
}

}  // namespace

void DecodeCommand(std::span<const std::uint8_t> b, SYSInfo& sys, CMDInfo* cmd, TTYInfo* tty) {
  if (b.empty()) return;
  StoreShared(sys.lastCode, b[0]);
  // A command shorter than its code's length carries nothing more to decode.
  if (b.size() < CommandLength(b[0])) return;
  switch (b[0]) {
    case 0x01:
    case 0x02:
      if (cmd) DecodeIdentity(b, *cmd);
      break;
    case 0x11:
      sys.progressCode = 0x11;
      sys.byte37 = b[1];
      sys.rotation = b[2];
      sys.errorCode = 0;
      sys.stitchCount = GetU32(b, 4);
      break;
    case 0x12:
    case 0x13:
    case 0x1E:
      sys.progressCode = b[0];
      sys.byte37 = b[1];
      sys.rotation = 0;
      sys.errorCode = b[2];
      sys.stitchCount = GetU32(b, 4);
      break;
    case 0x20:
      sys.byte37 = b[1];
      sys.transferWord = b[2];
      sys.byte30 = b[3];
      sys.memory = GetU32(b, 4);
      std::memcpy(sys.fileName, &b[8], sizeof sys.fileName);
      sys.fileNameEnd = 0;
      sys.value20 = b[20];
      sys.byte64 = b[21];
      break;
    case 0x21:
      sys.byte37 = b[1];
      sys.x = I16(b, 4);
      sys.y = I16(b, 6);
      break;
    case 0x22:
      sys.byte30 = b[1];
      break;
    case 0x23:
      if (sys.reply23) DecodeReply23(b, sys.reply23);
      break;
    case 0x2F:
      sys.memory = GetU32(b, 1);
      break;
    case 0x45:
      if (cmd) StoreShared(cmd->machineType, std::uint8_t{0x10});
      if (tty) {
        // The classic 6-byte copy: the 3-byte command, then the terminating zeros.
        std::array<std::uint8_t, 6> copy{};
        std::copy_n(b.begin(), 3, copy.begin());
        CopyToReceiveBuffer(*tty, copy, false);
      }
      break;
    case 0x4F:
      if (cmd) StoreShared(cmd->machineType, std::uint8_t{0xFF});
      break;
    case 0x60:
      sys.byte33 = b[1];
      sys.x = I16(b, 4);
      sys.y = I16(b, 6);
      break;
    case 0x61:
      sys.byte33 = b[1];
      break;
    case 0x6A:
      sys.value6A = b[1];
      break;
    case 0x82:
      sys.transferWord = GetU16(b, 2);
      break;
    default:
      break;
  }
}

}  // namespace portlink
