// A connection and a simulated machine joined in one process: the connection's transport is a
// direct call into the machine, and the machine's replies are cut into records as a serial or
// TCP/IP line would cut them and handed to the connection by Pump.
#pragma once

#include <string>
#include <vector>

#include "pelsrv/protocol/commbase.h"
#include "sim/bytepipe.h"
#include "sim/simmachine.h"

namespace sim {

// Cuts a machine's bytes into reply records. A serial line drops the rest of what it holds at
// a code it does not know and swallows a modem's echo 'A'; TCP/IP drops the keep-alive byte
// and hands some codes on without their payload.
class TReplySplitter {
 public:
  explicit TReplySplitter(Wire wire) : wire_(wire) {}
  std::vector<TReplyRecord> Feed(std::span<const std::uint8_t> bytes);
  std::size_t Held() const { return pending_.size(); }

 private:
  Wire wire_;
  std::vector<std::uint8_t> pending_;
};

// A connection whose line is the simulated machine.
class TLoopComm final : public TCommBase {
 public:
  TLoopComm(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group,
            TSimMachine& machine, Wire wire);

  void Close() override { SetOnline(false); }
  std::string GetName() const override { return name; }
  TConnAddress GetAddress() const override { return {}; }
  bool IsOnline() override { return Online(); }
  void PutCommand(const TSyncCommand& command) override;
  void BlockSent() override {}
  void SendRaw(std::span<const std::uint8_t> bytes) override;
  void LogSending(std::int32_t total) override;
  void LogSewingStarted() override;
  void LogSewingAborted() override;
  void LogError(std::int32_t id) override;
  void PreviewReply(const TReplyRecord& record) override;

  // The line came up (as a TCP/IP reader does it: online, idle, identity request) or went down.
  void LineUp();
  void LineDown();
  using TCommBase::SetEndPause;

  std::string name = "sim";
  std::vector<std::string> log;
  std::int64_t bytesSent = 0;

 private:
  TSimMachine& machine_;
  Wire wire_;
};

class TSimLink {
 public:
  TSimLink(TSimConfig config, IPelSrvEvents* owner, TCookie cookie = 1, TDevNo devNo = 0,
           ISyncGroup* group = nullptr);

  TSimMachine& Machine() { return machine_; }
  TLoopComm& Connection() { return comm_; }
  // Hands the machine's replies to the connection until neither side has more to say.
  // Returns the number of records handed over.
  int Pump();
  // Connects and lets the first exchange run (identity, file name, progress).
  void Connect();
  // Raw bytes as if the machine had written them; Pump hands them on.
  void Inject(std::span<const std::uint8_t> bytes) { fromMachine_.Write(bytes); }

 private:
  TBufferPipe fromMachine_;
  TSimMachine machine_;
  TLoopComm comm_;
  TReplySplitter splitter_;
};

}  // namespace sim
