#include "pelsrv/lines/commtcpip.h"

#include <cstring>

#include "pelsrvapi/machinemessages.h"

// Posts the reader's findings, by value, to the service's target under this connection's cookie
// and the reader's generation.
class TCommTcpip::Outbox : public pelsrv::TcpReaderOutbox {
 public:
  Outbox(platform::TargetId window, TCookie cookie, std::uint32_t generation)
      : window_(window), cookie_(static_cast<std::uintptr_t>(cookie)), generation_(generation) {}

  void Connected() override { PostLine(pelsrv::TcpLineEvent::kConnected); }
  void Ended(bool was_connected) override {
    PostLine(was_connected ? pelsrv::TcpLineEvent::kLost : pelsrv::TcpLineEvent::kConnectFailed);
  }
  // A bare code travels as a one-byte record; lParam carries the reader's generation so that
  // replies of a reader stopped meanwhile are recognised and dropped.
  void Reply(const pelsrv::TcpReply& reply) override {
    const std::size_t length = reply.length == 0 ? 1 : reply.length;
    platform::Post(window_, platform::UM_RX_COMMAND, cookie_,
                   static_cast<std::intptr_t>(generation_),
                   std::span<const std::uint8_t>(reply.bytes.data(), length));
  }

 private:
  void PostLine(pelsrv::TcpLineEvent event) {
    platform::Post(window_, pelsrv::UM_TCP_LINE, cookie_,
                   pelsrv::EncodeTcpLine(generation_, event));
  }

  platform::TargetId window_;
  std::uintptr_t cookie_;
  std::uint32_t generation_;
};

TCommTcpip::TCommTcpip(IPelSrvEvents* owner, TDevNo devNo, TCookie cookie, ISyncGroup* group,
                       const pelsrv::TcpTimeouts& timeouts)
    : TCommBase(owner, devNo, cookie, group), timeouts_(timeouts) {
  SetCanReconnect(true);
}

TCommTcpip::~TCommTcpip() { StopReader(); }

void TCommTcpip::OpenTcp(platform::TargetId window, const std::string& hostName,
                         const TConnInfo& info) {
  window_ = window;
  hostName_ = hostName;
  address_ = sockaddr_in{};
  address_.sin_family = AF_INET;
  address_.sin_port = info.port;  // already in network byte order
  const std::uint8_t ip[4] = {info.b1, info.b2, info.b3, info.b4};
  std::memcpy(&address_.sin_addr, ip, sizeof ip);
  StartReader();
}

bool TCommTcpip::Reconnect() {
  if (!CanReconnect() || Online()) return false;
  // A reader whose connect failed has ended even if its message has not been handled yet.
  if (reader_ && reader_->Finished()) StopReader();
  if (reader_) return false;
  StartReader();
  return true;
}

void TCommTcpip::StartReader() {
  if (reader_) return;  // one reader at a time: a second would race the first for the line
  ++generation_;
  socket_ = std::make_unique<pelsrv::TcpSocket>();  // a fresh socket for every attempt
  outbox_ = std::make_unique<Outbox>(window_, Cookie(), generation_);
  reader_ = std::make_unique<pelsrv::TConnThread>(*socket_, address_, timeouts_, *outbox_);
  ResetProgress(false);
}

void TCommTcpip::StopReader() {
  if (reader_) reader_->Stop();
  reader_.reset();
  outbox_.reset();
  socket_.reset();
  ++generation_;
}

void TCommTcpip::ReaderMessage(pelsrv::TcpLineMessage message) {
  if (message.generation != generation_ || !reader_) return;  // from a reader since stopped
  switch (message.event) {
    case pelsrv::TcpLineEvent::kConnected:
      SetOnline(true);
      SetState(SEW_IDLE);
      SendIdentityRequest();
      LineChanged();
      break;
    case pelsrv::TcpLineEvent::kConnectFailed:
      StopReader();
      break;
    case pelsrv::TcpLineEvent::kLost:
      StopReader();
      LineLost();
      break;
  }
}

void TCommTcpip::LineLost() {
  SetOnline(false);
  MutableStatus().lastProgressCode = 0;
  LineChanged();
}

void TCommTcpip::Close() {
  // A reader ended by Close reports nothing: the connection goes offline quietly and keeps its
  // error. Only a transfer in progress is cancelled, and the client hears of it and of the line.
  const bool wasSending = IsSending();
  StopReader();
  if (wasSending) {
    CancelTransfer();
    LineLost();
  } else {
    SetOnline(false);
  }
}

std::string TCommTcpip::GetName() const { return hostName_.empty() ? "1" : hostName_; }

TConnAddress TCommTcpip::GetAddress() const {
  TConnAddress bytes{};
  bytes[0] = AF_INET & 0xFF;
  bytes[1] = (AF_INET >> 8) & 0xFF;
  std::memcpy(&bytes[2], &address_.sin_port, 2);
  std::memcpy(&bytes[4], &address_.sin_addr, 4);
  return bytes;
}

bool TCommTcpip::IsOnline() { return Online(); }

void TCommTcpip::PutCommand(const TSyncCommand& command) {
  NoteQueuedCommand(command.Code());
  MutableStatus().lastCommandWritten = command.Code();
  SendRaw(command.Wire());
}

void TCommTcpip::SendRaw(std::span<const std::uint8_t> bytes) {
  if (!socket_ || !Online()) return;
  if (socket_->SendAll(bytes.data(), bytes.size(), timeouts_.send_ms) !=
      pelsrv::TcpSocket::Result::kOk) {
    // The reader notices the shut-down line at once and reports the loss in order, after the
    // replies it has already posted.
    socket_->Wake();
  }
}

void TCommTcpip::LineChanged() {
  if (Online()) {
    SetErrorQuietly(0);
  } else {
    SetState(SEW_ERROR);
    SetErrorQuietly(kMsgDisconnected);
  }
  TCommBase::LineChanged();
}
