// The machine's replies and the state they lead to.
#include <algorithm>

#include "pelsrv/protocol/commbase.h"
#include "pelsrv/protocol/machinetext.h"
#include "pelsrv/protocol/syncgroup.h"
#include "pelsrvapi/machinemessages.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

void TCommBase::HandleReply(const TReplyRecord& record) {
  const std::uint8_t code = record.Code();
  // A record shorter than its code needs (a bare code, a cut record) is never read past its end.
  if (record.length == 0 || record.length < ReplyBytesNeeded(code)) return;

  switch (code) {
    case 0x01:
    case 0x02: {
      const std::int32_t needles = ParseMachineStatus(record);
      if (needles >= 1 && needles <= 15) ResizeMachineColors(needles);
      if (owner_) {
        const std::int32_t capable = IsSyncCapable() ? 1 : 0;
        owner_->OnSyncSetup(group_ ? group_->SyncCapableCount() : capable, cookie_, capable);
      }
      if (!sending_) SendCommand(kCmdFileNameRequest);
      break;
    }
    case 0x11:
      error_ = 0;
      ParseProgress(record);
      if (!sending_) CheckSewingStart();
      break;
    case 0x12:
      error_ = 0;
      ParseProgress(record);
      SettleState();
      break;
    case 0x13:
      error_ = 0;
      ParseProgress(record);
      CompleteSewing();
      break;
    case 0x1E:
      state_ = SEW_ERROR;
      ParseProgress(record);
      if (IsSyncCapable() && group_) group_->StopAllSyncCapable(*this);
      break;
    case 0x1F:
      HandleRejected();
      break;
    case 0x20:
      HandleFileName(record);
      break;
    case 0x2F:
      HandleMemoryFull();
      sewingFileName_.clear();
      break;
    case 0x45:
      SendIdentityRequest();
      break;
    case 0x4F:
      // A modem, not a machine, is on the line: a transfer to it can never be asked for.
      if (sending_) FailTransfer(kMsgNoResponse);
      state_ = SEW_NO_PORT;
      FireStatusChange(0);
      break;
    case 0x60:
      if (group_) group_->RelaySyncSetup(*this, record.U8(1), record.U16(4), record.U16(6));
      break;
    case 0x61:
      if (group_) group_->RelaySyncMode(*this, record.U8(1));
      break;
    case 0x68:
      if (group_) group_->RelaySyncStop(*this, kCmdGroupStop);
      break;
    case 0x6C:
      if (group_) group_->RelaySyncStop(*this, kCmdWithdrawSetup);
      break;
    case 0x6D:
      lastQueuedCommand_ = 0;
      break;
    case 0x82:
      status_.transferWord = record.U16(2);
      if (owner_) owner_->OnSendStart(cookie_);
      break;
    case 0x83:
      HandleTransferEnd();
      break;
    case 0x84:
    case 0x85:
      error_ = 0;
      SendBlock(code);
      if (reportProgress_) ReportSendProgress(false, blockIndex_, blockCount_);
      break;
    case 0x87:
      error_ = 0;
      SettleState();
      break;
    default:  // 0x21, 0x22, 0x23, 0x6A and codes without a meaning
      break;
  }
}

std::int32_t TCommBase::ParseMachineStatus(const TReplyRecord& record) {
  error_ = 0;
  state_ = SEW_IDLE;
  identity_.machineType = record.U8(1);
  identity_.needleCount = record.U8(2);
  identity_.versions = {record.U16(3), record.U16(5), record.U16(7)};
  identity_.kept = record.U8(9);
  identity_.syncFlags = record.U8(12);
  SettleState();
  return identity_.needleCount;
}

void TCommBase::ParseProgress(const TReplyRecord& record) {
  const std::uint8_t code = record.Code();
  const std::uint32_t stitch = record.U32(4);
  status_.needleNo = record.U8(1);
  status_.currentStitch = stitch;
  status_.lastProgressCode = code;
  status_.rotation = 0;
  status_.alarmCode = 0;
  switch (code) {
    case 0x11:
      state_ = stitch == 0 ? SEW_IDLE : SEW_SEWING;
      status_.rotation = record.U8(2);
      break;
    case 0x12:
      state_ = stitch == 0 ? SEW_IDLE : SEW_PAUSED;
      break;
    case 0x13:
      progress_.nMax = static_cast<std::int32_t>(stitch);
      state_ = SEW_COMPLETED;
      break;
    case 0x1E:
      status_.alarmCode = record.U8(2);
      SetError(kMsgAlarmBase + record.U8(2));
      break;
    default:
      break;
  }
  progress_.nError = error_;
  progress_.nPos = static_cast<std::int32_t>(stitch);
  progress_.nRot = record.U8(2);
  progress_.nNeedleNo = record.U8(1);
  progress_.state = code;
  if (owner_) {
    owner_->OnProgress(cookie_, code, static_cast<std::int32_t>(stitch),
                       sendDesign_->GetStitchSize(identity_.machineType), error_, status_.rotation,
                       status_.needleNo);
    owner_->OnStatusChange(cookie_, static_cast<std::uint8_t>(state_));
  }
}

void TCommBase::CheckSewingStart() {
  if (state_ != SEW_IDLE) return;
  state_ = SEW_SEW_STARTING;
  LogSewingStarted();
  if (sewingFileName_.empty()) SendCommand(kCmdFileNameRequest);
}

void TCommBase::CompleteSewing() {
  designLoaded_ = false;
  if (owner_) owner_->OnComplete(cookie_, 1, status_.needleNo);
}

void TCommBase::HandleRejected() {
  error_ = 0;
  if (sending_) {
    EndTransfer(false);
    TransferEnded(TTransferResult::kRejected);
  } else {
    SettleState();
    FireStatusChange(SEW_REJECTED);
    state_ = SEW_REJECTED;
  }
  SetError(kMsgRequestRejected);
}

void TCommBase::HandleFileName(const TReplyRecord& record) {
  const std::span<const std::uint8_t> field(record.bytes.data() + 8, 12);
  std::copy(field.begin(), field.end(), status_.fileName.begin());
  status_.fileName[12] = 0;
  status_.needleNo = record.U8(1);
  status_.remainingMemory = record.U32(4);
  if (!owner_) return;

  const std::string name = MachineTextToUtf8(field);
  // The clients answer in their own time; the main thread goes on meanwhile, and this
  // connection's later replies wait for the answer.
  askingClients_ = true;
  owner_->AskFilenameAck(cookie_, name, static_cast<std::int32_t>(status_.remainingMemory), 0,
                         [this, alive = std::weak_ptr<int>(alive_), name](std::int32_t total) {
                           if (!alive.expired()) FinishFileName(name, total);
                         });
}

void TCommBase::FinishFileName(const std::string& name, std::int32_t total) {
  askingClients_ = false;
  progress_.nRemain = static_cast<std::int32_t>(status_.remainingMemory);
  if (total != 0 && name != sewingFileName_) {
    sewingFileName_ = name;
    std::shared_ptr<TStitchItem> design = DesignNamed(name);
    // A design that cannot be had leaves an empty one: the old one is not what the machine holds.
    sendDesign_ = design ? std::move(design) : std::make_shared<TStitchItem>();
  }
  if (status_.lastProgressCode == 0) SendCommand(kCmdProgressRequest);
  if (name.empty()) {
    status_.needleNo = 0;
    status_.lastProgressCode = 2;
  }
  while (!askingClients_ && !heldReplies_.empty()) {
    const TReplyRecord record = heldReplies_.front();
    heldReplies_.pop_front();
    PreviewReply(record);
    HandleReply(record);
  }
}

void TCommBase::Receive(const TReplyRecord& record) {
  if (askingClients_) {
    if (heldReplies_.size() == kMaxHeldReplies) heldReplies_.pop_front();
    heldReplies_.push_back(record);
    return;
  }
  PreviewReply(record);
  HandleReply(record);
}

void TCommBase::HandleMemoryFull() {
  if (sending_) {
    EndTransfer(false);
    TransferEnded(TTransferResult::kMemoryFull);
  }
  status_.alarmCode = 0x2F;
  state_ = SEW_REJECTED;
  SetError(kMsgMemoryFull);
}

void TCommBase::HandleTransferEnd() {
  error_ = 0;
  const bool wasSending = sending_;
  const bool complete = blockIndex_ + 1 == blockCount_;
  EndTransfer(true);
  // A stray end outside a transfer is acknowledged but reports nothing: a client would take
  // a normal end for a design that was never sent.
  if (!wasSending) return;
  // Blocks are missing: the machine still holds the design it had before.
  if (!complete) ForgetSentDesign();
  TransferEnded(complete ? TTransferResult::kComplete : TTransferResult::kIncomplete);
}

void TCommBase::ReportSendProgress(bool forced, std::int32_t index, std::int32_t count) {
  if (!forced && EffectiveState() == SEW_SEWING) return;
  std::int64_t ratio = count <= 0 ? 0 : static_cast<std::int64_t>(index) * 100 / count;
  ratio = std::clamp<std::int64_t>(ratio, 0, 100);
  if (owner_) owner_->OnSendProgress(cookie_, static_cast<std::int32_t>(ratio));
}
