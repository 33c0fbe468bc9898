#include "sim/simmachine.h"

#include <algorithm>
#include <array>

#include "pelsrv/lines/tcpreplies.h"
#include "pelsrv/protocol/replyrecord.h"
#include "pelsrv/protocol/transferframe.h"

namespace sim {

namespace {

std::string TextField(std::span<const std::uint8_t> field) {
  std::string text;
  for (const std::uint8_t b : field) {
    if (b == 0) break;
    text.push_back(static_cast<char>(b));
  }
  return text;
}

}  // namespace

TSimMachine::TSimMachine(TSimConfig config, IBytePipe& line)
    : config_(std::move(config)), line_(line), heldName_(config_.heldName) {}

std::size_t TSimMachine::CommandLength(std::uint8_t code) const {
  switch (code) {
    case 0x42:  // 'B'
    case 0x44:  // 'D'
    case 0x45:  // 'E'
      return kFrameSize;
    case 0x43:  // 'C'
      return 4;
    case 0x41:  // "AT\r"
      return 3;
    case 0xC0:
      return 8;
    case 0xC1:
    case 0xCA:
      return 2;
    case 0xC8:
    case 0xCC:
    case 0xD0:
    case 0xD1:
    case 0xE0:
      return 1;
    default:
      return 0;
  }
}

void TSimMachine::Receive(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  std::size_t at = 0;
  while (at < pending_.size()) {
    const std::size_t length = CommandLength(pending_[at]);
    if (length == 0) {
      Fault("unknown command byte " + std::to_string(pending_[at]));
      ++at;
      continue;
    }
    if (pending_.size() - at < length) break;
    const std::vector<std::uint8_t> command(
        pending_.begin() + static_cast<std::ptrdiff_t>(at),
        pending_.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
    commands_.push_back(command);
    HandleCommand(command);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
}

std::vector<std::uint8_t> TSimMachine::CommandCodes() const {
  std::vector<std::uint8_t> codes;
  for (const auto& command : commands_) codes.push_back(command[0]);
  return codes;
}

void TSimMachine::Fault(std::string text) { faults_.push_back(std::move(text)); }

void TSimMachine::SendReply(std::uint8_t code, std::span<const std::uint8_t> payload) {
  if (Mute()) return;
  std::size_t length = SerialReplyLength(code);
  if (config_.wire == Wire::kTcp) {
    const pelsrv::TcpReplyShape shape = pelsrv::TcpReplyShapeOf(code);
    length = shape.handing == pelsrv::ReplyHanding::kIgnore ? 1 : 1 + shape.payload;
  }
  std::vector<std::uint8_t> record(std::max<std::size_t>(length, 1), 0);
  record[0] = code;
  std::copy_n(payload.begin(), std::min(payload.size(), record.size() - 1), record.begin() + 1);
  line_.Write(record);
}

void TSimMachine::HandleCommand(std::span<const std::uint8_t> command) {
  if (config_.persona == Persona::kModem) {
    if (command[0] == 0x41) {
      static constexpr std::uint8_t kEchoAndOk[] = {'A', 'T', '\r', '\r', '\n',
                                                    'O', 'K', '\r', '\n'};
      line_.Write(kEchoAndOk);
    }
    return;
  }
  switch (command[0]) {
    case 0xD1:
      SendIdentity();
      break;
    case 0xE0:
      SendFileName();
      break;
    case 0xD0:
      SendProgress();
      break;
    case 0x42:
      HandleHeader(command);
      break;
    case 0x44:
    case 0x45:
      HandleData(command);
      break;
    case 0x43:
      HandleTransferEnd(command);
      break;
    case 0xC0:
      if (config_.persona == Persona::kSyncGroup) SendReply(0x6D);
      break;
    case 0x41:  // "AT"
      if (config_.enquiresOnProbe) Enquire();
      break;
    default:  // group commands: a machine takes note and says nothing
      break;
  }
}

void TSimMachine::SendIdentity() {
  // type, needles, three version words, a kept byte, two unused bytes, the sync flag
  std::array<std::uint8_t, 12> payload{};
  payload[0] = config_.machineType;
  payload[1] = config_.needleCount;
  payload[2] = 1;
  payload[8] = 0x5A;
  payload[11] = config_.syncFlag;
  SendReply(0x01, config_.identity ? *config_.identity : payload);
}

void TSimMachine::SendFileName() {
  if (config_.persona == Persona::kRejecting && !sewing_) return SendReply(0x1F);
  std::array<std::uint8_t, 21> payload{};
  payload[0] = needle_;
  PutU32(payload, 3, config_.memory);
  std::copy_n(heldName_.begin(), std::min<std::size_t>(heldName_.size(), 12), payload.begin() + 7);
  if (config_.persona == Persona::kTruncated) {
    std::vector<std::uint8_t> cut = {0x20};
    cut.insert(cut.end(), payload.begin(), payload.begin() + 9);
    line_.Write(cut);
    silent_ = true;
    return;
  }
  SendReply(0x20, payload);
}

void TSimMachine::SendProgress() {
  if (config_.persona == Persona::kRejecting && !sewing_) return SendReply(0x1F);
  if (alarmed_ || (config_.persona == Persona::kAlarm && sewing_)) {
    return SendProgressReply(0x1E, config_.alarmCode, sewn_);
  }
  if (heldTotal_ != 0 && sewn_ >= heldTotal_) return SendProgressReply(0x13, 0, sewn_);
  SendProgressReply(sewing_ ? 0x11 : 0x12, 0, sewn_);
}

void TSimMachine::SendProgressReply(std::uint8_t code, std::uint8_t second, std::uint32_t stitch) {
  std::array<std::uint8_t, 7> payload{};
  payload[0] = needle_;
  payload[1] = second;
  PutU32(payload, 3, stitch);
  SendReply(code, payload);
}

bool TSimMachine::FrameIntact(std::span<const std::uint8_t> frame) {
  bool intact = true;
  if (GetU16(frame, kFrameTransferWord) != word_) {
    Fault("frame with transfer word " + std::to_string(GetU16(frame, kFrameTransferWord)));
    intact = false;
  }
  if (frame[kFrameEndOffset] != kFrameEndMark) {
    Fault("frame without its end mark");
    intact = false;
  }
  return intact;
}

void TSimMachine::OfferTransfer() {
  word_ = config_.transferWord;
  std::array<std::uint8_t, 3> payload{};
  PutU16(payload, 1, word_);
  SendReply(0x82, payload);
}

void TSimMachine::HandleHeader(std::span<const std::uint8_t> frame) {
  ++frames_;
  if (!FrameIntact(frame)) return;
  header_ = TReceivedHeader{};
  header_.fileName = TextField(frame.subspan(kHdrName, kFrameNameLength));
  header_.right = static_cast<std::int16_t>(GetU16(frame, kHdrRight));
  header_.left = static_cast<std::int16_t>(GetU16(frame, kHdrLeft));
  header_.topNegated = static_cast<std::int16_t>(GetU16(frame, kHdrTopNegated));
  header_.bottomNegated = static_cast<std::int16_t>(GetU16(frame, kHdrBottomNegated));
  header_.total = GetU32(frame, kHdrTotal);
  header_.colorCount = GetU16(frame, kHdrColorCount);
  const std::size_t colors = std::min<std::size_t>(header_.colorCount, kFrameMaxColors);
  header_.colors.assign(frame.begin() + kHdrColors, frame.begin() + kHdrColors + colors);
  header_.machineNumber = GetU16(frame, kHdrMachineNumber);
  header_.title = TextField(frame.subspan(kHdrTitle, kFrameTitleLength));
  // Machine type 0x20 is told the total without the leading start record, which the stream
  // still carries in front: it takes one record more, and the blocks that record fills.
  const std::size_t records = header_.total + (config_.machineType == 0x20 ? 1u : 0u);
  stream_.assign(3 * records, 0);
  blocks_ = static_cast<std::int32_t>((stream_.size() + kFrameDataSize - 1) / kFrameDataSize);
  lastIndex_ = -1;
  askedAgain_ = false;
  transferComplete_ = false;
  if (config_.persona == Persona::kMemoryFull) {
    std::array<std::uint8_t, 4> payload{};
    PutU32(payload, 0, 10);
    return SendReply(0x2F, payload);
  }
  receiving_ = true;
  PullNext(-1);
}

void TSimMachine::HandleData(std::span<const std::uint8_t> frame) {
  ++frames_;
  if (!receiving_) return Fault("data frame outside a transfer");
  if (!FrameIntact(frame)) return;
  const std::int32_t index = GetU16(frame, kFrameBlockIndex);
  const bool again = frame[0] == kFrameDataAgain;
  const std::int32_t expected = again ? lastIndex_ : lastIndex_ + 1;
  if (index != expected) {
    Fault("block " + std::to_string(index) + " where " + std::to_string(expected) + " was due");
  }
  if (again) ++repeats_;
  const std::size_t start = static_cast<std::size_t>(index) * kFrameDataSize;
  for (std::size_t j = 0; j < kFrameDataSize; ++j) {
    const std::uint8_t b = frame[kFrameDataOffset + j];
    if (start + j < stream_.size()) {
      stream_[start + j] = b;
    } else if (b != 0) {
      Fault("data past the announced records");
      break;
    }
  }
  lastIndex_ = index;
  PullNext(index);
}

void TSimMachine::PullNext(std::int32_t index) {
  const bool acting = index >= 0 && index == config_.atBlock;
  switch (config_.persona) {
    case Persona::kBusy:
      if (acting) {
        receiving_ = false;
        return SendReply(0x1F);
      }
      break;
    case Persona::kBlockAgain:
      if (acting && !askedAgain_) {
        askedAgain_ = true;
        return SendReply(0x85);
      }
      break;
    case Persona::kStopsPulling:
      if (acting) return;
      break;
    case Persona::kEndsEarly:
      if (acting) {
        receiving_ = false;
        return SendReply(0x83);
      }
      break;
    default:
      break;
  }
  if (index + 1 < blocks_) return SendReply(0x84);
  receiving_ = false;
  transferComplete_ = true;
  SendReply(0x83);
}

void TSimMachine::HandleTransferEnd(std::span<const std::uint8_t> command) {
  if (GetU16(command, 2) != word_) Fault("transfer end with another transfer word");
  if (transferComplete_) {
    heldName_ = header_.fileName;
    heldTotal_ = header_.total;
    sewn_ = 0;
  }
  word_ = 0;
}

std::vector<TSewnRecord> TSimMachine::RebuiltPositions() const {
  std::vector<TSewnRecord> out;
  std::int32_t x = 0;
  std::int32_t y = 0;
  for (std::size_t at = 0; at + 3 <= stream_.size(); at += 3) {
    const std::uint8_t control = stream_[at];
    // Byte 1 moves Y up unless 0x40 is set, byte 2 moves X right unless 0x20 is set.
    const std::int32_t dy = stream_[at + 1];
    const std::int32_t dx = stream_[at + 2];
    x += (control & 0x20) ? -dx : dx;
    y += (control & 0x40) ? dy : -dy;
    out.push_back({static_cast<std::uint8_t>(control & 0x1F), x, y});
  }
  return out;
}

void TSimMachine::StartSewing() {
  sewing_ = heldTotal_ > 0;
  sewn_ = 0;
  alarmed_ = false;
}

bool TSimMachine::Tick() {
  if (!sewing_) return false;
  if (config_.persona == Persona::kAlarm && sewn_ >= heldTotal_ / 2) {
    sewing_ = false;
    alarmed_ = true;
    SendProgressReply(0x1E, config_.alarmCode, sewn_);
    return true;
  }
  if (sewn_ >= heldTotal_) {
    sewing_ = false;
    SendProgressReply(0x13, 0, heldTotal_);
    return true;
  }
  SendProgressReply(0x11, 80, sewn_);  // 800 stitches per minute
  sewn_ = std::min(heldTotal_, sewn_ + config_.sewStep);
  return true;
}

void TSimMachine::RecoverFromAlarm() {
  alarmed_ = false;
  if (config_.persona == Persona::kAlarm) config_.persona = Persona::kNormal;
  sewing_ = heldTotal_ > 0;
}

void TSimMachine::Enquire() { SendReply(0x45); }

void TSimMachine::SendKeepAlive() { SendReply(0x16); }

void TSimMachine::SetPersona(Persona persona, std::int32_t atBlock) {
  config_.persona = persona;
  config_.atBlock = atBlock;
  silent_ = false;
}

}  // namespace sim
