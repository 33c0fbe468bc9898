// One machine connection of PelService, whatever the transport: the machine's state and
// progress, the design being sent or sewn, the machine's colour table, the design transfer, the
// command builders, the reply handler and the events. TCommTcpip and TCommSerial derive from it
// and supply the transport operations. Everything here runs on the service's main thread; a
// transport that learns something on another thread posts it there first.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pelsrv/protocol/replyrecord.h"
#include "pelsrv/protocol/synccommand.h"
#include "pelsrv/protocol/transferblocks.h"
#include "pelsrv/protocol/transferframe.h"
#include "pelsrv/protocol/transferwatch.h"
#include "pelsrvapi/pelservice_tlb.h"

class TStitchItem;
class TColorInfo;
class ISyncGroup;

// What the machine last told about itself (the status record's fields that the protocol uses).
struct TMachineStatus {
  std::array<char, 13> fileName{};    // design held by the machine, 12 bytes and a terminator
  std::uint16_t machineNumber = 0;    // device number + 1
  std::uint16_t transferWord = 0;     // of reply 0x82; echoed by every transfer frame
  std::uint8_t lastProgressCode = 0;  // 0x11, 0x12, 0x13, 0x1E, or 0 before any
  std::uint8_t lastReceivedCode = 0;  // set by a serial line's decoder only
  std::uint8_t lastCommandWritten = 0;
  std::uint8_t alarmCode = 0;
  std::uint8_t needleNo = 0;
  std::uint16_t rotation = 0;
  std::uint32_t remainingMemory = 0;
  std::uint32_t currentStitch = 0;
};

// The machine's identity from its status reply 0x01/0x02 (the command-state record).
struct TMachineIdentity {
  std::uint8_t machineType = 0;  // 0x00, 0x01, 0x10, 0x20; 0x3F while probing, 0xFF a modem
  std::uint16_t needleCount = 0;
  std::array<std::uint16_t, 3> versions{};
  std::uint16_t kept = 0;  // byte 9 of the reply
  std::uint16_t syncFlags = 0;
};

// What IPelSrv::GetProgress hands out.
struct TProgress {
  std::int32_t nMax = 0;  // total stitches
  std::int32_t nPos = 0;  // current stitch
  std::int32_t nRot = 0;
  std::int32_t nNeedleNo = 0;
  std::int32_t nError = 0;   // message id at the last progress reply
  std::int32_t nRemain = 0;  // remaining machine memory
  std::uint8_t state = 0;    // last progress reply code, 0 before any
};

// Result of a transfer end, mapped to TResState by TransferEnded.
enum class TTransferResult : std::int32_t {
  kComplete = 1,    // 0x83 with every block sent
  kIncomplete = 2,  // 0x83 with blocks missing, or the client closed the line
  kMemoryFull = 3,  // 0x2F
  kRejected = 4,    // 0x1F
  // The machine stopped answering: no block request within the time-out, its line was lost, or
  // a modem answered in its place.
  kFailed = 5,
};

// The send folder ("SendData" in the data folder) joined with a design name.
std::filesystem::path SendFolderPath(const std::string& name);

// A 16-byte address in the layout of an IPv4 socket address.
using TConnAddress = std::array<std::uint8_t, 16>;

class TCommBase {
 public:
  TCommBase(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group = nullptr);
  TCommBase(const TCommBase&) = delete;
  TCommBase& operator=(const TCommBase&) = delete;

  // Transport operations, in the order the transports expect them.
  virtual ~TCommBase();
  virtual void Close() = 0;
  virtual std::string GetName() const = 0;
  virtual TConnAddress GetAddress() const = 0;
  virtual bool IsOnline() = 0;
  virtual void SendCommand(std::uint8_t code);
  virtual void SendCommand(std::uint8_t code, std::uint8_t value);
  virtual void SendCommand(std::uint8_t code, std::uint8_t value, std::uint16_t word1,
                           std::uint16_t word2, std::int32_t speed);
  virtual void PutCommand(const TSyncCommand& command) = 0;
  virtual void LineChanged();
  virtual void BlockSent() = 0;
  // Poll of IPelSrv::OnTimer; returns the state.
  virtual std::int32_t PollTimer(std::int32_t tick, std::uint8_t& status, std::uint32_t& stitch,
                                 std::int32_t& error);
  virtual void TransferEnded(TTransferResult result);
  // The bytes stay valid until the next frame is built.
  virtual void SendRaw(std::span<const std::uint8_t> bytes) = 0;
  virtual void LogSending(std::int32_t total) = 0;
  virtual void LogSewingStarted() = 0;
  virtual void LogSewingAborted() = 0;
  virtual void LogError(std::int32_t id) = 0;
  virtual void PreviewReply(const TReplyRecord& record);

  // Identity.
  TCookie Cookie() const { return cookie_; }
  TDevNo DeviceNumber() const { return devNo_; }
  bool CanReconnect() const { return canReconnect_; }

  // Progress and colours.
  void ResetProgress(bool forgetDesign);
  // Colour section of this machine in "SysColor.dat": the name for TCP/IP, "MacColor<devNo+1>"
  // for a serial line.
  std::string ColorSectionName() const;
  bool LoadMachineColors();
  const TColorInfo& MachineColors() const { return *machineColors_; }
  TColorInfo& MachineColors() { return *machineColors_; }

  // State.
  TSewingState State() const { return state_; }
  TSewingState EffectiveState() const;
  bool IsSyncCapable() const;
  bool SkipsSyncMode() const;
  bool IsSewingNow() const;
  bool IsSending() const { return sending_; }
  std::int32_t NeedleCount() const { return identity_.needleCount; }
  std::uint8_t MachineType() const { return identity_.machineType; }
  std::int32_t GetError() const { return error_; }
  void SetError(std::int32_t id);
  void ClearError();
  const TProgress& Progress() const { return progress_; }
  const TMachineStatus& Status() const { return status_; }
  const TMachineIdentity& Identity() const { return identity_; }
  std::uint8_t LastQueuedCommand() const { return lastQueuedCommand_; }
  const std::string& SewingFileName() const { return sewingFileName_; }

  // Commands.
  void SendSyncStop(std::uint8_t code);
  void SendIdentityRequest();

  // Replies: the code and the record as the transport read it.
  void HandleReply(const TReplyRecord& record);
  // A reply as it arrives: previewed and handled, or, while the clients are still asked about
  // a file-name reply, kept until they have answered, so replies are handled in their order.
  void Receive(const TReplyRecord& record);
  // Replies kept at most while the clients are asked; the oldest go first past it.
  static constexpr std::size_t kMaxHeldReplies = 1024;

  // Transfer. CanStartTransfer tells beforehand whether StartTransfer would refuse, so that a
  // caller does not replace the send design under a running transfer.
  bool CanStartTransfer() const;
  bool StartTransfer(bool reportProgress);
  // Takes `design` as the send design only when the transfer can start.
  bool StartTransfer(std::unique_ptr<TStitchItem> design, bool reportProgress);
  void SendBlock(std::uint8_t code);
  void EndTransfer(bool normal);
  // How long a transfer waits for the machine's next block request before it ends as failed.
  void SetTransferTimeout(std::chrono::milliseconds limit) { watch_.SetLimit(limit); }
  std::chrono::milliseconds TransferTimeout() const { return watch_.Limit(); }
  // Called with the time at which a running transfer may have waited too long; the caller then
  // runs CheckTransferTimeout at that time (or later) on the main thread.
  void SetTransferWake(std::function<void(TTransferWatch::Clock::time_point)> wake) {
    wake_ = std::move(wake);
  }
  // Ends a transfer that has waited the time-out for a block request: OnSendStop with
  // RES_STATE_ERROR, error 268, state SEW_ERROR and OnStatusChange. True when it ended one.
  bool CheckTransferTimeout(TTransferWatch::Clock::time_point now);
  std::int32_t BlockIndex() const { return blockIndex_; }
  std::int32_t BlockCount() const { return blockCount_; }

  // Designs.
  const TStitchItem& SendDesign() const { return *sendDesign_; }
  const TStitchItem& SecondDesign() const { return *secondDesign_; }
  TStitchItem& SecondDesign() { return *secondDesign_; }
  bool DesignLoaded() const { return designLoaded_; }
  bool SecondLoaded() const { return secondLoaded_; }
  bool LoadTraceDesign();
  bool LoadSecondDesign(const std::filesystem::path& path);

 protected:
  // For the transports: the TCP/IP reader's findings reach the main thread and are stored here.
  void SetOnline(bool online) { online_ = online; }
  bool Online() const { return online_; }
  void SetState(TSewingState state) { state_ = state; }
  void SetCanReconnect(bool canReconnect) { canReconnect_ = canReconnect; }
  void NoteQueuedCommand(std::uint8_t code) { lastQueuedCommand_ = code; }
  TMachineStatus& MutableStatus() { return status_; }
  TMachineIdentity& MutableIdentity() { return identity_; }
  // A client's Close ends a running transfer as cancelled, before the line goes.
  void CancelTransfer();
  // The transport stops a frame that is still on its way to the machine.
  virtual void DropFrameInFlight() {}
  void SetErrorQuietly(std::int32_t id) { error_ = id; }
  // The pause between the 'C' record and the file-name request at the end of a transfer.
  void SetEndPause(std::chrono::microseconds pause) { endPause_ = pause; }
  void SettleState();
  void ReportSendProgress(bool forced, std::int32_t index, std::int32_t count);
  IPelSrvEvents* Owner() const { return owner_; }

 private:
  // Reply steps.
  std::int32_t ParseMachineStatus(const TReplyRecord& record);
  void ParseProgress(const TReplyRecord& record);
  void CheckSewingStart();
  void CompleteSewing();
  void HandleRejected();
  void HandleFileName(const TReplyRecord& record);
  void FinishFileName(const std::string& name, std::int32_t total);
  void HandleMemoryFull();
  void HandleTransferEnd();
  // Ends the running transfer as failed with the message id that says why.
  void FailTransfer(std::int32_t error);
  void FireStatusChange(std::uint8_t state);
  void StopIfSyncCapable();

  // Transfer helpers.
  void ResizeMachineColors(std::int32_t count);
  // A transfer that did not reach the machine: the name it held before comes back.
  void ForgetSentDesign();
  // A new copy of the design the machine holds under `name`: the records last sent under that
  // name, else the send folder's file of that name; null when neither can be had.
  std::shared_ptr<TStitchItem> DesignNamed(const std::string& name) const;

  IPelSrvEvents* owner_;
  ISyncGroup* group_;
  TCookie cookie_;
  TDevNo devNo_;

  // The design being sewn or traced; replaced, never changed in place, so that a running
  // transfer (which holds its own reference) is never disturbed by a reload.
  std::shared_ptr<TStitchItem> sendDesign_;
  // The design of the last transfer and the name it went under. The machine holds exactly
  // these records, which its stitch numbers count; the send folder's file of that name may read
  // back fewer (its reader drops repeated zero-length jumps), so it is not used for them.
  std::shared_ptr<TStitchItem> sentDesign_;
  std::string sentName_;
  std::unique_ptr<TStitchItem> secondDesign_;
  std::unique_ptr<TColorInfo> machineColors_;

  TSewingState state_ = SEW_NO_PORT;
  std::uint8_t lastQueuedCommand_ = 0;
  bool online_ = false;
  bool sending_ = false;
  bool canReconnect_ = false;
  bool reportProgress_ = false;
  bool designLoaded_ = false;
  bool secondLoaded_ = false;
  std::int32_t secondStitchSize_ = 0;
  std::int32_t blockIndex_ = -1;
  std::int32_t blockCount_ = 0;
  std::int32_t error_ = 0;
  TMachineStatus status_;
  TMachineIdentity identity_;
  TProgress progress_;
  // The records of the running transfer, fixed at its start.
  TTransferSource transfer_;
  TTransferFrame frame_{};
  TTransferWatch watch_;
  std::function<void(TTransferWatch::Clock::time_point)> wake_;
  std::string sewingFileName_;
  std::string previousFileName_;
  // While the clients are asked about a file-name reply: the replies that came meanwhile.
  bool askingClients_ = false;
  std::deque<TReplyRecord> heldReplies_;
  // Answers that come after the connection has gone find this expired.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::chrono::microseconds endPause_{2000};
};
