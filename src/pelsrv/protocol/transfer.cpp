// Sending a design in 521-byte frames that the machine pulls one at a time.
#include <chrono>
#include <thread>

#include "pelsrv/protocol/commbase.h"
#include "pelsrvapi/machinemessages.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

// The bare file name of a design path.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TCommBase::CanStartTransfer() const {
  // A machine whose last transfer timed out may be sent to again: its state is not known, and
  // it asks for the blocks of a new transfer when it can take them.
  const bool timedOut = state_ == SEW_ERROR && error_ == kMsgNoResponse;
  return !sending_ && (state_ == SEW_IDLE || state_ == SEW_COMPLETED || timedOut);
}

bool TCommBase::StartTransfer(std::unique_ptr<TStitchItem> design, bool reportProgress) {
  // Refuse before taking the design: a refused send must not touch the running one.
  if (!CanStartTransfer() || !design) return false;
  sendDesign_ = std::shared_ptr<TStitchItem>(std::move(design));
  designLoaded_ = false;
  return StartTransfer(reportProgress);
}

bool TCommBase::StartTransfer(bool reportProgress) {
  if (!CanStartTransfer()) return false;
  watch_.Heard(TTransferWatch::Clock::now());
  sending_ = true;
  reportProgress_ = reportProgress;

  // Moves the native records cannot carry become jumps, so the records the machine counts are
  // the records sent. The design is not shared with a transfer yet (none runs).
  sendDesign_->LimitMoves();
  transfer_ = TTransferSource(sendDesign_, identity_.machineType);
  const TStitchItem& design = *sendDesign_;

  TTransferHeader header;
  header.fileName = BaseName(design.FileName);
  const TRect rect = design.GetRawRect();
  header.left = rect.left;
  header.top = rect.top;
  header.right = rect.right;
  header.bottom = rect.bottom;
  header.total = transfer_.Total();
  header.colorCount = static_cast<std::uint16_t>(design.GetColorCount());
  for (int i = 0; i < design.GetColorCount() && i < static_cast<int>(kFrameMaxColors); ++i) {
    TEmbColor color;
    design.GetColor(i, machineColors_.get(), color);
    // A block that no needle matched is sent as 0, not as the first needle.
    const bool unmatched = design.Colors[static_cast<std::size_t>(i)].Index == kNoPaletteIndex;
    header.colorEntries.push_back(unmatched ? 0 : static_cast<std::uint8_t>(color.Index + 1));
  }
  header.machineNumber = status_.machineNumber;
  header.title = design.Title;
  header.transferWord = status_.transferWord;
  BuildHeaderFrame(header, frame_);

  blockIndex_ = -1;
  // The blocks the records fill: for type 0x20 the stream carries one record more than the
  // header's total (the leading start record), and its last block is served too.
  blockCount_ = transfer_.BlockCount();
  SendRaw(frame_);

  previousFileName_ = sewingFileName_;
  sewingFileName_ = header.fileName.substr(0, kFrameNameLength);
  sentDesign_ = sendDesign_;
  sentName_ = sewingFileName_;
  status_.currentStitch = 0;
  progress_.nPos = 0;
  progress_.nMax = static_cast<std::int32_t>(header.total);
  progress_.nRemain = 0;
  state_ = SEW_IDLE;
  LogSending(static_cast<std::int32_t>(header.total));
  if (wake_) wake_(watch_.Deadline());
  return true;
}

void TCommBase::SendBlock(std::uint8_t code) {
  if (sending_) watch_.Heard(TTransferWatch::Clock::now());
  std::uint8_t kind = kFrameDataAgain;
  if (code == 0x84) {
    kind = kFrameData;
    if (blockIndex_ < INT32_MAX) ++blockIndex_;
  }
  // Outside a transfer a block still comes from the current send design, as a machine that
  // asks expects; it never reads outside that design's records.
  if (!sending_) transfer_ = TTransferSource(sendDesign_, identity_.machineType);
  BuildDataFrame(kind, blockIndex_, status_.transferWord, {}, frame_);
  transfer_.FillBlock(blockIndex_, std::span(frame_).subspan(kFrameDataOffset, kFrameDataSize));
  SendRaw(frame_);
}

void TCommBase::EndTransfer(bool normal) {
  watch_.Stop();
  if (normal) {
    PutCommand(MakeTransferEnd(status_.transferWord));
    if (endPause_.count() > 0) std::this_thread::sleep_for(endPause_);
    SendCommand(kCmdFileNameRequest);
  } else if (sending_) {
    ForgetSentDesign();
  }
  sending_ = false;
  status_.transferWord = 0;
  transfer_ = TTransferSource();
}

void TCommBase::ForgetSentDesign() {
  // The machine still holds the design it had before this transfer: its trace comes from that
  // design's name again.
  sewingFileName_ = previousFileName_;
  sentDesign_.reset();
  sentName_.clear();
  designLoaded_ = false;
}

void TCommBase::TransferEnded(TTransferResult result) {
  TResState state = RES_STATE_CANCELED;
  switch (result) {
    case TTransferResult::kComplete:
      state = RES_STATE_NORMAL;
      break;
    case TTransferResult::kIncomplete:
      state = RES_STATE_CANCELED;
      break;
    case TTransferResult::kMemoryFull:
    case TTransferResult::kFailed:
      state = RES_STATE_ERROR;
      break;
    case TTransferResult::kRejected:
      state = RES_STATE_BUSY;
      break;
  }
  if (owner_) owner_->OnSendStop(cookie_, state);
}

void TCommBase::FailTransfer(std::int32_t error) {
  DropFrameInFlight();
  EndTransfer(false);
  SetError(error);
  TransferEnded(TTransferResult::kFailed);
}

void TCommBase::CancelTransfer() {
  if (!sending_) return;
  EndTransfer(false);
  TransferEnded(TTransferResult::kIncomplete);
}

bool TCommBase::CheckTransferTimeout(TTransferWatch::Clock::time_point now) {
  if (!sending_) return false;
  if (!watch_.Expired(now)) {
    // The machine asked for blocks meanwhile: look again when the newest wait runs out.
    if (wake_) wake_(watch_.Deadline());
    return false;
  }
  // In error but online: the client shows the alarm and keeps the design for a later send.
  FailTransfer(kMsgNoResponse);
  state_ = SEW_ERROR;
  FireStatusChange(SEW_ERROR);
  return true;
}
