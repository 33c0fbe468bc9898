// TPortlinkLine: the port scan's line through Portlink, on slot 0. It owns the slot's records
// and the message target Portlink posts to; each opened port gets its own caller id, so a
// command that a closed port's reader had posted is dropped instead of counting for the next.
#pragma once

#include <memory>

#include "hoopdesk/dialogs/scanline.h"
#include "platform/messagetarget.h"

class TPortlinkLine : public TScanLine {
 public:
  TPortlinkLine();
  ~TPortlinkLine() override;
  TPortlinkLine(const TPortlinkLine&) = delete;
  TPortlinkLine& operator=(const TPortlinkLine&) = delete;

  void Begin(std::uint32_t baudRate) override;
  bool Find(int comIndex) override;
  bool Open() override;
  bool Dsr() const override { return dsr_; }
  void Send(std::span<const std::uint8_t> bytes) override;
  bool WaitForReply(const TPump& pump) override;
  bool ModemAnswered() const override { return modem_; }
  void Close() override;
  portlink::CMDInfo Identity() const override;

 private:
  // Handles what Portlink posted: commands of the open port are decoded; true when one came.
  bool Handle(const platform::Message& message);
  void DropPending();

  // Portlink keeps pointers to these from Begin until the last port is closed.
  struct TRecords {
    portlink::CMDInfo cmd{};
    portlink::TTYInfo tty{};
    portlink::SYSInfo sys{};
  };
  std::unique_ptr<TRecords> records_;
  std::shared_ptr<platform::QueueTarget> queue_;
  platform::TargetRegistration window_;
  std::uint32_t callerId_ = 0;
  bool open_ = false;
  bool dsr_ = false;
  bool modem_ = false;
};
