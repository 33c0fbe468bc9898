#include "pelsrv/lines/connthread.h"

namespace pelsrv {

namespace {

// One receive per chunk: a single blocking call waits for the machine and takes all it sent.
class SocketSource : public ChunkedSource {
 public:
  SocketSource(TcpSocket& socket, int silence_ms) : socket_(socket), silence_ms_(silence_ms) {}

 protected:
  std::size_t Fill(std::uint8_t* buffer, std::size_t capacity) override {
    std::size_t got = 0;
    return socket_.ReceiveSome(buffer, capacity, silence_ms_, &got) == TcpSocket::Result::kOk ? got
                                                                                              : 0;
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
