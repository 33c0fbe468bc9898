// A machine on the network: one TCP socket and one reader thread (TConnThread) per attempt to
// reach it. All connection state and every send belong to the main thread; the reader only
// posts what it learns (the line came up, a reply, the line is gone) to the service's target,
// where the dispatcher hands it back to this connection by its cookie.
#pragma once

#include <memory>
#include <string>

#include "pelsrv/lines/connthread.h"
#include "pelsrv/lines/tcplinemessage.h"
#include "pelsrv/lines/tcpsocket.h"
#include "pelsrv/protocol/commbase.h"
#include "platform/messagetarget.h"

class TCommTcpip : public TCommBase {
 public:
  TCommTcpip(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group,
             const pelsrv::TcpTimeouts& timeouts = {});
  // Stops the reader and closes the socket without firing events.
  ~TCommTcpip() override;

  // Remembers where the machine is and starts reaching it; a machine that cannot be reached
  // leaves the connection offline.
  void OpenTcp(platform::TargetId window, const std::string& hostName, const TConnInfo& info);
  // Starts a new attempt when the connection is offline and no reader is still at work.
  bool Reconnect();
  // A line message of the reader, on the main thread (UM_TCP_LINE).
  void ReaderMessage(pelsrv::TcpLineMessage message);
  bool ReaderRunning() const { return reader_ != nullptr; }
  // Whether a reply posted with this generation (its lParam) comes from the current reader.
  bool FromCurrentReader(std::intptr_t generation) const {
    return reader_ != nullptr && generation == static_cast<std::intptr_t>(generation_);
  }

  // Stops the reader and closes the socket. Fires events only when a transfer was running: it
  // is then cancelled, and the client hears that the line is gone.
  void Close() override;
  std::string GetName() const override;
  TConnAddress GetAddress() const override;
  bool IsOnline() override;
  void PutCommand(const TSyncCommand& command) override;
  void LineChanged() override;
  void BlockSent() override {}
  void SendRaw(std::span<const std::uint8_t> bytes) override;
  void LogSending(std::int32_t) override {}
  void LogSewingStarted() override {}
  void LogSewingAborted() override {}
  void LogError(std::int32_t) override {}

 private:
  class Outbox;

  void StartReader();
  // Wakes and joins the reader, then closes its socket; what it posted is stale from now on.
  void StopReader();
  // The line went away: offline, progress code forgotten, clients told.
  void LineLost();

  const pelsrv::TcpTimeouts timeouts_;
  platform::TargetId window_ = 0;
  sockaddr_in address_{};
  std::string hostName_;
  std::uint32_t generation_ = 0;
  // Declared in this order so that the reader is destroyed (joined) before the socket it uses.
  std::unique_ptr<pelsrv::TcpSocket> socket_;
  std::unique_ptr<Outbox> outbox_;
  std::unique_ptr<pelsrv::TConnThread> reader_;
};
