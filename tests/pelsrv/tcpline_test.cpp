// The TCP/IP line: reply cutting, the socket's bounds, and the reader thread against a loopback
// peer that the test plays.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "loopbackpeer.h"
#include "pelsrv/lines/connthread.h"
#include "pelsrv/lines/tcpreplies.h"
#include "pelsrv/lines/tcpsocket.h"

namespace pelsrv {
namespace {

using namespace std::chrono_literals;

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  Status Read(std::uint8_t* buffer, std::size_t size) override {
    if (bytes_.size() - pos_ < size) return Status::kEnd;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), size, buffer);
    pos_ += size;
    return Status::kOk;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

struct ShapeCase {
  std::uint8_t code;
  std::size_t payload;
  ReplyHanding handing;
};

TEST(TcpReplyShape, PayloadLengthsAndHandingByCode) {
  const ShapeCase cases[] = {
      {0x01, 12, ReplyHanding::kRecord},  {0x02, 12, ReplyHanding::kRecord},
      {0x11, 7, ReplyHanding::kRecord},   {0x12, 7, ReplyHanding::kRecord},
      {0x13, 7, ReplyHanding::kRecord},   {0x1E, 7, ReplyHanding::kRecord},
      {0x20, 21, ReplyHanding::kRecord},  {0x21, 7, ReplyHanding::kRecord},
      {0x22, 1, ReplyHanding::kRecord},   {0x23, 23, ReplyHanding::kRecord},
      {0x2F, 4, ReplyHanding::kBareCode}, {0x45, 2, ReplyHanding::kBareCode},
      {0x60, 11, ReplyHanding::kRecord},  {0x61, 1, ReplyHanding::kRecord},
      {0x6A, 1, ReplyHanding::kBareCode}, {0x82, 3, ReplyHanding::kRecord},
      {0x83, 3, ReplyHanding::kRecord},   {0x16, 0, ReplyHanding::kIgnore},
      {0x1F, 0, ReplyHanding::kBareCode}, {0x4F, 0, ReplyHanding::kBareCode},
      {0x0D, 0, ReplyHanding::kBareCode}, {0x41, 0, ReplyHanding::kBareCode},
      {0x84, 0, ReplyHanding::kBareCode}, {0x99, 0, ReplyHanding::kBareCode},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.code);
    TcpReplyShape shape = TcpReplyShapeOf(c.code);
    EXPECT_EQ(shape.payload, c.payload);
    EXPECT_EQ(shape.handing, c.handing);
  }
}

TEST(ReadTcpReply, CutsRecordsBareCodesAndKeepAlives) {
  MemorySource source({0x16, 0x82, 0x00, 0x34, 0x12, 0x2F, 1, 2, 3, 4,  0x84, 0x60,
                       1,    2,    3,    4,    5,    6,    7, 8, 9, 10, 11});
  TcpReply reply;
  EXPECT_EQ(ReadTcpReply(source, reply), ReadOutcome::kKeepAlive);
  ASSERT_EQ(ReadTcpReply(source, reply), ReadOutcome::kReply);
  EXPECT_EQ(reply.length, 4u);
  EXPECT_EQ(reply.Code(), 0x82);
  EXPECT_EQ(reply.bytes[2], 0x34);
  ASSERT_EQ(ReadTcpReply(source, reply), ReadOutcome::kReply);
  EXPECT_EQ(reply.length, 0u) << "0x2F's payload is consumed and dropped";
  EXPECT_EQ(reply.Code(), 0x2F);
  EXPECT_EQ(reply.bytes[1], 0);
  ASSERT_EQ(ReadTcpReply(source, reply), ReadOutcome::kReply);
  EXPECT_EQ(reply.Code(), 0x84);
  ASSERT_EQ(ReadTcpReply(source, reply), ReadOutcome::kReply);
  EXPECT_EQ(reply.length, 12u) << "0x60 is 12 bytes on the network";
  EXPECT_EQ(ReadTcpReply(source, reply), ReadOutcome::kEnd);
}

TEST(ReadTcpReply, TruncatedPayloadEndsTheLineAndHandsNothingOn) {
  MemorySource source({0x11, 1, 2, 3});
  TcpReply reply;
  EXPECT_EQ(ReadTcpReply(source, reply), ReadOutcome::kEnd);
}

// A line that delivers scripted chunks, as a socket delivers what has arrived.
class ScriptedChunks : public ChunkedSource {
 public:
  explicit ScriptedChunks(std::vector<std::vector<std::uint8_t>> chunks)
      : chunks_(std::move(chunks)) {}
  int fills = 0;

 protected:
  std::size_t Fill(std::uint8_t* buffer, std::size_t capacity) override {
    ++fills;
    if (next_ == chunks_.size()) return 0;
    const auto& chunk = chunks_[next_++];
    EXPECT_LE(chunk.size(), capacity);
    std::copy(chunk.begin(), chunk.end(), buffer);
    return chunk.size();
  }

 private:
  std::vector<std::vector<std::uint8_t>> chunks_;
  std::size_t next_ = 0;
};

// The replies cut from `source` until it ends, as "code/length".
std::vector<std::string> CutAll(ByteSource& source) {
  std::vector<std::string> cut;
  TcpReply reply;
  for (ReadOutcome o; (o = ReadTcpReply(source, reply)) != ReadOutcome::kEnd;) {
    if (o == ReadOutcome::kReply)
      cut.push_back(std::to_string(reply.Code()) + "/" + std::to_string(reply.length));
  }
  return cut;
}

TEST(ChunkedSource, OneChunkOfSeveralRepliesIsOneReceive) {
  ScriptedChunks line({{0x84, 0x16, 0x84, 0x11, 1, 2, 3, 4, 5, 6, 7, 0x85, 0x83, 0, 1, 2}});
  EXPECT_EQ(CutAll(line), (std::vector<std::string>{"132/0", "132/0", "17/8", "133/0", "131/4"}));
  EXPECT_EQ(line.fills, 2) << "one receive for the replies, one that finds the line ended";
}

TEST(ChunkedSource, RepliesSplitAcrossChunksAreJoined) {
  ScriptedChunks line({{0x84, 0x20, 1, 2},
                       {3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                       {13, 14},
                       {},
                       {15, 16, 17, 18, 19, 20, 21, 0x84}});
  EXPECT_EQ(CutAll(line), (std::vector<std::string>{"132/0"}))
      << "an empty chunk is the end of the line, inside the file-name record";
  ScriptedChunks whole({{0x84, 0x20, 1, 2},
                        {3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                        {13, 14, 15, 16, 17, 18, 19, 20, 21, 0x84}});
  EXPECT_EQ(CutAll(whole), (std::vector<std::string>{"132/0", "32/22", "132/0"}));
}

TEST(ChunkedSource, ALineFullerThanOneChunkIsTakenChunkByChunk) {
  std::vector<std::uint8_t> many(ChunkedSource::kChunk * 2 + 3, 0x84);
  ScriptedChunks line(
      {std::vector<std::uint8_t>(many.begin(), many.begin() + ChunkedSource::kChunk),
       std::vector<std::uint8_t>(many.begin() + ChunkedSource::kChunk, many.end() - 3),
       std::vector<std::uint8_t>(many.end() - 3, many.end())});
  EXPECT_EQ(CutAll(line).size(), many.size());
  EXPECT_EQ(line.fills, 4);
}

using pelsrv_test::LoopbackPeer;

class RecordingOutbox : public TcpReaderOutbox {
 public:
  void Connected() override { Add("connected"); }
  void Reply(const TcpReply& reply) override {
    Add("reply " + std::to_string(reply.Code()) + "/" + std::to_string(reply.length));
  }
  void Ended(bool was_connected) override { Add(was_connected ? "lost" : "failed"); }

  // Waits until `count` events arrived (or the time-out passed) and returns them all.
  std::vector<std::string> WaitFor(std::size_t count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
    return events_;
  }

 private:
  void Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    arrived_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> events_;
};

TEST(TConnThread, ConnectsAndHandsRepliesInOrder) {
  LoopbackPeer peer;
  TcpSocket socket;
  RecordingOutbox outbox;
  TConnThread reader(socket, peer.Address(), TcpTimeouts{}, outbox);
  peer.Accept();
  peer.Send({0x16, 0x84, 0x11, 1, 2, 3, 4, 5, 6, 7, 0x45, 0, 0});
  auto events = outbox.WaitFor(4);
  EXPECT_EQ(events,
            (std::vector<std::string>{"connected", "reply 132/0", "reply 17/8", "reply 69/0"}));
}

TEST(TConnThread, PeerHangupInsideAPayloadIsLossWithoutAReply) {
  LoopbackPeer peer;
  TcpSocket socket;
  RecordingOutbox outbox;
  TConnThread reader(socket, peer.Address(), TcpTimeouts{}, outbox);
  peer.Accept();
  peer.Send({0x20, 1, 2, 3});
  peer.Hangup();
  EXPECT_EQ(outbox.WaitFor(2), (std::vector<std::string>{"connected", "lost"}));
}

TEST(TConnThread, SilenceLongerThanTheTimeOutIsLoss) {
  LoopbackPeer peer;
  TcpSocket socket;
  RecordingOutbox outbox;
  TcpTimeouts timeouts;
  timeouts.silence_ms = 300;
  TConnThread reader(socket, peer.Address(), timeouts, outbox);
  peer.Accept();
  for (int i = 0; i < 4; ++i) {
    std::this_thread::sleep_for(150ms);
    peer.Send({0x16});
  }
  EXPECT_EQ(outbox.WaitFor(1), (std::vector<std::string>{"connected"}));
  const auto silent_from = std::chrono::steady_clock::now();
  auto events = outbox.WaitFor(2);
  EXPECT_EQ(events, (std::vector<std::string>{"connected", "lost"}));
  EXPECT_GE(std::chrono::steady_clock::now() - silent_from, 250ms);
}

TEST(TConnThread, RefusedConnectEndsWithoutConnecting) {
  sockaddr_in closed;
  {
    LoopbackPeer gone;
    closed = gone.Address();
  }
  TcpSocket socket;
  RecordingOutbox outbox;
  TConnThread reader(socket, closed, TcpTimeouts{}, outbox);
  EXPECT_EQ(outbox.WaitFor(1), (std::vector<std::string>{"failed"}));
}

TEST(TConnThread, StopWakesAReaderWaitingForBytesAndPostsNothing) {
  LoopbackPeer peer;
  TcpSocket socket;
  RecordingOutbox outbox;
  TConnThread reader(socket, peer.Address(), TcpTimeouts{}, outbox);
  peer.Accept();
  outbox.WaitFor(1);
  const auto start = std::chrono::steady_clock::now();
  reader.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(outbox.WaitFor(2, 100ms), (std::vector<std::string>{"connected"}));
}

TEST(TConnThread, StopEndsAConnectThatTheNetworkLeavesHanging) {
  // A non-routable address: the connect either hangs (and must be woken) or fails at once.
  sockaddr_in nowhere{};
  nowhere.sin_family = AF_INET;
  nowhere.sin_port = htons(9);
  nowhere.sin_addr.s_addr = inet_addr("10.255.255.1");
  TcpSocket socket;
  RecordingOutbox outbox;
  TcpTimeouts timeouts;
  timeouts.connect_ms = 60000;
  TConnThread reader(socket, nowhere, timeouts, outbox);
  std::this_thread::sleep_for(50ms);
  const auto start = std::chrono::steady_clock::now();
  reader.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(TcpSocket, ReceiveTakesWhatHasArrivedUpToItsRoomAndWaitsOnlyForTheFirstByte) {
  LoopbackPeer peer;
  TcpSocket socket;
  ASSERT_EQ(socket.Connect(peer.Address(), 1000), TcpSocket::Result::kOk);
  ASSERT_TRUE(peer.Accept());
  peer.Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  std::this_thread::sleep_for(50ms);  // all ten bytes are there
  std::uint8_t buffer[16] = {};
  std::size_t got = 0;
  ASSERT_EQ(socket.ReceiveSome(buffer, 4, 1000, &got), TcpSocket::Result::kOk);
  EXPECT_EQ(got, 4u);
  ASSERT_EQ(socket.ReceiveSome(buffer, sizeof buffer, 1000, &got), TcpSocket::Result::kOk);
  EXPECT_EQ(got, 6u);
  EXPECT_EQ(buffer[0], 5);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.ReceiveSome(buffer, sizeof buffer, 200, &got), TcpSocket::Result::kTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  peer.Hangup();
  EXPECT_EQ(socket.ReceiveSome(buffer, sizeof buffer, 1000, &got), TcpSocket::Result::kClosed);
}

TEST(TcpSocket, SendToAPeerThatReadsNothingGivesUpInsteadOfBlocking) {
  // Receives block on the connected descriptor; sends must still give up after their bound.
  LoopbackPeer peer;
  TcpSocket socket;
  ASSERT_EQ(socket.Connect(peer.Address(), 1000), TcpSocket::Result::kOk);
  ASSERT_TRUE(peer.Accept());
  std::vector<std::uint8_t> big(64 << 20);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.SendAll(big.data(), big.size(), 300), TcpSocket::Result::kTimeout);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(TcpSocket, SendToAClosedPeerFailsWithoutSignal) {
  LoopbackPeer peer;
  TcpSocket socket;
  ASSERT_EQ(socket.Connect(peer.Address(), 1000), TcpSocket::Result::kOk);
  peer.Accept();
  peer.Hangup();
  std::vector<std::uint8_t> frame(521, 0x44);
  TcpSocket::Result result = TcpSocket::Result::kOk;
  for (int i = 0; i < 50 && result == TcpSocket::Result::kOk; ++i) {
    result = socket.SendAll(frame.data(), frame.size(), 1000);
  }
  EXPECT_EQ(result, TcpSocket::Result::kError);
}

TEST(TcpSocket, LargeSendCompletesThroughPartialWrites) {
  LoopbackPeer peer;
  TcpSocket socket;
  ASSERT_EQ(socket.Connect(peer.Address(), 1000), TcpSocket::Result::kOk);
  peer.Accept();
  std::vector<std::uint8_t> big(8 << 20);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> got;
  std::thread drain([&] { got = peer.Receive(big.size()); });
  EXPECT_EQ(socket.SendAll(big.data(), big.size(), 5000), TcpSocket::Result::kOk);
  drain.join();
  EXPECT_EQ(got, big);
}

}  // namespace
}  // namespace pelsrv
