// A machine on a serial line, driven through Portlink. The connection owns the three records
// Portlink writes into (they stay in place for as long as the port is open), queues command
// records while a frame is being written and probes for a modem when the line comes up.
#pragma once

#include <string>
#include <vector>

#include "pelsrv/protocol/commbase.h"
#include "platform/messagetarget.h"
#include "portlink/portlink.h"

class TCommSerial : public TCommBase {
 public:
  // Portlink drives slots 0..5; the device number is the slot.
  static constexpr TDevNo kSlotCount = portlink::kSlotCount;
  // Commands that wait for the line are kept up to this many; a further one pushes out the
  // oldest, so that a machine that keeps asking while CTS is off cannot grow the queue forever.
  static constexpr std::size_t kMaxQueuedCommands = 64;

  TCommSerial(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group);
  // Closes the port without firing events.
  ~TCommSerial() override;

  // Opens the port of COM index `comIndex` on the slot of the device number. False when the
  // device number is not a slot or the port cannot be found or opened; nothing stays open then.
  bool OpenSerial(platform::TargetId window, std::uint8_t comIndex, const std::string& logFileName,
                  std::uint16_t baudRate);
  bool PortOpen() const { return portOpen_; }
  std::size_t QueuedCommands() const { return queue_.size(); }

  // Closes the port. Fires events only when a transfer was running: it is then cancelled, and
  // the client hears that the line is gone.
  void Close() override;
  std::string GetName() const override;
  TConnAddress GetAddress() const override;
  bool IsOnline() override;
  void PutCommand(const TSyncCommand& command) override;
  void LineChanged() override;
  void BlockSent() override;
  void TransferEnded(TTransferResult result) override;
  void SendRaw(std::span<const std::uint8_t> bytes) override;
  void LogSending(std::int32_t total) override;
  void LogSewingStarted() override;
  void LogSewingAborted() override;
  void LogError(std::int32_t id) override;
  void PreviewReply(const TReplyRecord& record) override;

 protected:
  void DropFrameInFlight() override { AbortBlock(); }

 private:
  std::uint16_t Slot() const { return static_cast<std::uint16_t>(DeviceNumber()); }
  std::uint32_t ModemStatus() const;
  bool CtsOn() const;
  // Writes what waits, when the line allows: queued commands (newest first), then the block.
  void Drain();
  void ProbeModem();
  // Ends the frame being written, if any; UM_BLOCK_SENT then frees the line.
  void AbortBlock();
  void ClosePort();
  void Log(const std::string& text);

  portlink::TTYInfo tty_{};
  portlink::SYSInfo sys_{};
  portlink::CMDInfo cmd_{};
  std::string logFileName_;
  bool portOpen_ = false;
  bool maySend_ = true;
  std::vector<TSyncCommand> queue_;
  // The frame waiting for the line, and the one Portlink is writing. Both are copies owned
  // here: the written one is never touched until UM_BLOCK_SENT, whatever the protocol builds.
  std::vector<std::uint8_t> pending_;
  std::vector<std::uint8_t> inFlight_;
};
