#include "sim/simlink.h"

#include "pelsrv/lines/tcpreplies.h"
#include "pelsrvapi/machinemessages.h"

namespace sim {

std::vector<TReplyRecord> TReplySplitter::Feed(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  std::vector<TReplyRecord> records;
  std::size_t at = 0;
  while (at < pending_.size()) {
    const std::uint8_t code = pending_[at];
    const std::span<const std::uint8_t> rest(pending_.data() + at, pending_.size() - at);
    if (wire_ == Wire::kSerial) {
      const std::size_t length = SerialReplyLength(code);
      if (length == 0) {  // unknown code: the rest is dropped
        at = pending_.size();
        break;
      }
      if (rest.size() < length) break;
      if (code != 0x41) records.push_back(TReplyRecord::FromBytes(rest.first(length)));
      at += length;
    } else {
      const pelsrv::TcpReplyShape shape = pelsrv::TcpReplyShapeOf(code);
      if (rest.size() < 1 + shape.payload) break;
      if (shape.handing == pelsrv::ReplyHanding::kRecord) {
        records.push_back(TReplyRecord::FromBytes(rest.first(1 + shape.payload)));
      } else if (shape.handing == pelsrv::ReplyHanding::kBareCode) {
        records.push_back(TReplyRecord::BareCode(code));
      }
      at += 1 + shape.payload;
    }
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
  return records;
}

TLoopComm::TLoopComm(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group,
                     TSimMachine& machine, Wire wire)
    : TCommBase(owner, devNo, cookie, group), machine_(machine), wire_(wire) {
  SetCanReconnect(wire == Wire::kTcp);
}

void TLoopComm::PutCommand(const TSyncCommand& command) {
  NoteQueuedCommand(command.Code());
  MutableStatus().lastCommandWritten = command.Code();
  SendRaw(command.Wire());
}

void TLoopComm::SendRaw(std::span<const std::uint8_t> bytes) {
  bytesSent += static_cast<std::int64_t>(bytes.size());
  machine_.Receive(bytes);
}

void TLoopComm::LogSending(std::int32_t total) {
  log.push_back("Sending: " + SewingFileName() + "  Stitches: " + std::to_string(total));
}

void TLoopComm::LogSewingStarted() { log.push_back("Sewing started: " + SewingFileName()); }

void TLoopComm::LogSewingAborted() { log.push_back("Sewing aborted: " + SewingFileName()); }

void TLoopComm::LogError(std::int32_t id) {
  log.push_back("App Error: " + MachineMessageText(id) + ", File: " + SewingFileName());
}

void TLoopComm::PreviewReply(const TReplyRecord& record) {
  // What a serial line's decoder notes before the handler runs.
  if (wire_ != Wire::kSerial) return;
  MutableStatus().lastReceivedCode = record.Code();
  if (record.Code() == 0x4F) MutableIdentity().machineType = 0xFF;
}

void TLoopComm::LineUp() {
  SetOnline(true);
  SetState(SEW_IDLE);
  SendIdentityRequest();
  LineChanged();
}

void TLoopComm::LineDown() {
  SetOnline(false);
  LineChanged();
}

TSimLink::TSimLink(TSimConfig config, IPelSrvEvents* owner, TCookie cookie, TDevNo devNo,
                   ISyncGroup* group)
    : machine_(config, fromMachine_),
      comm_(owner, devNo, cookie, group, machine_, config.wire),
      splitter_(config.wire) {}

int TSimLink::Pump() {
  int handed = 0;
  while (!fromMachine_.Empty()) {
    const std::vector<std::uint8_t> bytes = fromMachine_.Take();
    for (const TReplyRecord& record : splitter_.Feed(bytes)) {
      comm_.PreviewReply(record);
      comm_.HandleReply(record);
      ++handed;
    }
  }
  return handed;
}

void TSimLink::Connect() {
  comm_.LineUp();
  Pump();
}

}  // namespace sim
