#include "pelsrv/lines/connthread.h"

namespace pelsrv {

namespace {

class SocketSource : public ByteSource {
 public:
  SocketSource(TcpSocket& socket, int silence_ms) : socket_(socket), silence_ms_(silence_ms) {}
  Status Read(std::uint8_t* buffer, std::size_t size) override {
    return socket_.ReceiveExact(buffer, size, silence_ms_) == TcpSocket::Result::kOk ? Status::kOk
                                                                                     : Status::kEnd;
  }

 private:
  TcpSocket& socket_;
  int silence_ms_;
};

}  // namespace

TConnThread::TConnThread(TcpSocket& socket, const sockaddr_in& address, const TcpTimeouts& timeouts,
                         TcpReaderOutbox& outbox)
    : socket_(socket), address_(address), timeouts_(timeouts), outbox_(outbox) {
  thread_ = std::thread([this] { Run(); });
}

TConnThread::~TConnThread() { Stop(); }

void TConnThread::Stop() {
  stopping_ = true;
  socket_.Wake();
  if (thread_.joinable()) thread_.join();
}

void TConnThread::Run() {
  RunLine();
  finished_ = true;
}

void TConnThread::RunLine() {
  if (socket_.Connect(address_, timeouts_.connect_ms) != TcpSocket::Result::kOk) {
    if (!stopping_) outbox_.Ended(false);
    return;
  }
  if (stopping_) return;
  outbox_.Connected();
  SocketSource source(socket_, timeouts_.silence_ms);
  TcpReply reply;
  for (;;) {
    ReadOutcome outcome = ReadTcpReply(source, reply);
    if (stopping_) return;
    if (outcome == ReadOutcome::kEnd) break;
    if (outcome == ReadOutcome::kReply) outbox_.Reply(reply);
  }
  outbox_.Ended(true);
}

}  // namespace pelsrv
