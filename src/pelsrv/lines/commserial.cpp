#include "pelsrv/lines/commserial.h"

#include <cstdio>
#include <mutex>

#include "pelsrvapi/machinemessages.h"

namespace {

// Portlink is set up once per process; later ports are bound with SetupSYSInfo.
void InitialisePortlinkOnce(portlink::SYSInfo* first) {
  static std::once_flag once;
  std::call_once(once, [first] { DLLInitialize(first); });
}

bool IsFrameCode(std::uint8_t code) { return code >= 0x42 && code <= 0x45; }

}  // namespace

TCommSerial::TCommSerial(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group)
    : TCommBase(owner, devNo, cookie, group) {
  SetCanReconnect(false);
}

TCommSerial::~TCommSerial() { ClosePort(); }

bool TCommSerial::OpenSerial(platform::TargetId window, std::uint8_t comIndex,
                             const std::string& logFileName, std::uint16_t baudRate) {
  if (DeviceNumber() < 0 || DeviceNumber() >= kSlotCount) return false;
  tty_ = portlink::TTYInfo{};
  sys_ = portlink::SYSInfo{};
  cmd_ = portlink::CMDInfo{};
  sys_.cmdInfo = &cmd_;
  sys_.ttyInfo = &tty_;
  logFileName_ = logFileName;
  tty_.window = window;
  tty_.comIndex = comIndex;
  tty_.callerId = static_cast<std::uint32_t>(Cookie());
  tty_.rxMode = 1;
  tty_.baudRate = baudRate;
  tty_.logLevel = 0;
  tty_.logFileName = logFileName_.empty() ? nullptr : logFileName_.c_str();

  InitialisePortlinkOnce(&sys_);
  SetupSYSInfo(Slot(), &sys_);
  if (!FindCommPort(Slot())) return false;
  const bool opened = OpenCommPort(Slot()) != 0;
  // A port that opened with a setting refused still runs; it is marked open so Close ends it.
  portOpen_ = opened || tty_.openFlag != 0;
  LineChanged();
  ResetProgress(true);
  return opened;
}

void TCommSerial::ClosePort() {
  if (portOpen_) CloseCommPort(Slot());
  portOpen_ = false;
  maySend_ = true;
  pending_.clear();
  inFlight_.clear();
}

void TCommSerial::Close() {
  const bool wasSending = IsSending();
  ClosePort();
  portlink::StoreShared(tty_.modemStatus, 0u);
  if (wasSending) {
    // The client hears that the transfer in progress was cancelled and that the line is gone.
    CancelTransfer();
    LineChanged();
  } else {
    // A plain close reports nothing and keeps the machine's error.
    SetOnline(false);
  }
}

std::string TCommSerial::GetName() const { return "COM:" + std::to_string(tty_.comIndex + 1); }

TConnAddress TCommSerial::GetAddress() const {
  TConnAddress bytes{};
  bytes[2] = tty_.comIndex;
  return bytes;
}

// Portlink's reader thread writes the modem status and decodes the identity into the records
// while the port is open, so those fields are read and written as Portlink's shared fields.
bool TCommSerial::IsOnline() {
  if (portlink::LoadShared(cmd_.machineType) == 0xFF) return false;  // a modem: not a machine
  const std::uint32_t both = portlink::MS_CTS_ON | portlink::MS_DSR_ON;
  SetOnline(portOpen_ && (ModemStatus() & both) == both);
  return Online();
}

std::uint32_t TCommSerial::ModemStatus() const { return portlink::LoadShared(tty_.modemStatus); }

bool TCommSerial::CtsOn() const { return (ModemStatus() & portlink::MS_CTS_ON) != 0; }

void TCommSerial::PutCommand(const TSyncCommand& command) {
  NoteQueuedCommand(command.Code());
  if (queue_.size() >= kMaxQueuedCommands) queue_.erase(queue_.begin());
  queue_.push_back(command);
  Drain();
}

void TCommSerial::SendRaw(std::span<const std::uint8_t> bytes) {
  pending_.assign(bytes.begin(), bytes.end());
  Drain();
}

void TCommSerial::BlockSent() {
  maySend_ = true;
  inFlight_.clear();
  Drain();
}

void TCommSerial::Drain() {
  if (!portOpen_ || !CtsOn() || !maySend_) return;
  if (!queue_.empty()) {
    for (auto it = queue_.rbegin(); it != queue_.rend(); ++it) {
      tty_.block = it->bytes.data();
      tty_.blockLength = it->length;
      SendBlockSync(Slot());
    }
    const std::uint8_t oldest = queue_.front().Code();
    if (!IsFrameCode(oldest)) MutableStatus().lastCommandWritten = oldest;
    queue_.clear();
  }
  if (!pending_.empty()) {
    inFlight_ = std::move(pending_);
    pending_.clear();
    tty_.block = inFlight_.data();
    tty_.blockLength = static_cast<std::uint32_t>(inFlight_.size());
    maySend_ = false;
    if (SendBlockAsync(Slot()) == 0) {
      // Nothing was started, so no UM_BLOCK_SENT will come to free the line.
      maySend_ = true;
      inFlight_.clear();
    }
  }
}

void TCommSerial::ProbeModem() {
  const std::uint32_t either = portlink::MS_CTS_ON | portlink::MS_DSR_ON;
  if ((ModemStatus() & either) == 0) return;
  portlink::StoreShared(cmd_.machineType, std::uint8_t{0x3F});
  MutableIdentity().machineType = 0x3F;
  queue_.push_back(MakeModemProbe());  // the last queued command stays as it was
  Drain();
}

void TCommSerial::AbortBlock() {
  pending_.clear();
  if (!maySend_ && portOpen_) AbortSendBlock(Slot());
}

void TCommSerial::LineChanged() {
  SetState(SEW_OFFLINE);
  if (IsOnline()) {
    if (Status().lastCommandWritten != kCmdModemProbe) ProbeModem();
    SettleState();
    maySend_ = maySend_ || inFlight_.empty();
    Drain();
  } else {
    // A running transfer is ended by the common part below, which also tells the client.
    AbortBlock();
    portlink::StoreShared(cmd_, portlink::CMDInfo{});
    MutableIdentity() = TMachineIdentity{};
  }
  TCommBase::LineChanged();
}

void TCommSerial::TransferEnded(TTransferResult result) {
  TCommBase::TransferEnded(result);
  Log(result == TTransferResult::kComplete ? "Transfer completed" : "Transfer aborted");
}

void TCommSerial::LogSending(std::int32_t total) {
  Log("Sending: " + SewingFileName() + "  Stitches: " + std::to_string(total));
}

void TCommSerial::LogSewingStarted() { Log("Sewing started: " + SewingFileName()); }

void TCommSerial::LogSewingAborted() { Log("Sewing aborted: " + SewingFileName()); }

void TCommSerial::LogError(std::int32_t id) {
  Log("App Error: " + MachineMessageText(id) + ", File: " + SewingFileName() + ", Needle: " +
      std::to_string(Status().needleNo) + ", Stitches: " + std::to_string(Status().currentStitch));
}

void TCommSerial::PreviewReply(const TReplyRecord& record) {
  if (record.length == 0) return;
  // The record's storage is larger than any command, so the decoder never reads past it.
  AnalizeCmd(record.bytes.data(), DeviceNumber());
  MutableStatus().lastReceivedCode = portlink::LoadShared(sys_.lastCode);
  const std::uint8_t code = record.Code();
  if (code == 0x45 || code == 0x4F) {
    MutableIdentity().machineType = portlink::LoadShared(cmd_.machineType);
  }
}

void TCommSerial::Log(const std::string& text) {
  WriteLogMessage(text.c_str(), static_cast<std::int16_t>(DeviceNumber()), 0);
}
