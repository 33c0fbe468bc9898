// The server side of one client connection: frames queued while the writer is at work go out
// with it, in order, without waking it for each; frames that can wait wake it once, when the
// thread's hold ends.
#include "rpc/session.h"

#include "rpc/wakehold.h"

#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace rpc {
namespace {

using namespace std::chrono_literals;

// A session on one end of a socket pair; the test plays the client on the other.
class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    int fds[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    client_ = UniqueFd(fds[1]);
    session_ = std::make_shared<Session>(UniqueFd(fds[0]), 1,
                                         std::make_shared<FrameBudget>(1 << 20), Limits());
    session_->Start([](Frame, CallHold) {}, [] {});
  }
  ~SessionTest() override { session_->Close(); }

  static SessionLimits Limits() {
    SessionLimits limits;
    limits.maxQueuedBytes = 64u << 20;
    return limits;
  }

  // Reads frames at the client until `count` have come (or the time-out passed).
  std::vector<Frame> Receive(std::size_t count) {
    std::vector<Frame> frames;
    std::vector<uint8_t> chunk(64 * 1024);
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (frames.size() < count && std::chrono::steady_clock::now() < end) {
      const ssize_t n = ReadSome(client_.get(), chunk);
      if (n <= 0) break;
      decoder_.Feed(std::span(chunk.data(), static_cast<std::size_t>(n)));
      while (auto f = decoder_.Next()) frames.push_back(std::move(*f));
    }
    return frames;
  }

  UniqueFd client_;
  FrameDecoder decoder_;
  std::shared_ptr<Session> session_;
};

TEST_F(SessionTest, FramesQueuedWhileTheWriterWritesShareItsWakeAndKeepTheirOrder) {
  // The first frame is larger than the socket holds, so the writer is still writing it (the
  // client reads nothing yet) while the others are queued.
  session_->Send(EncodeFrame(FrameKind::kEvent, 0, 2, std::vector<uint8_t>(8u << 20, 0x5A)));
  std::this_thread::sleep_for(50ms);
  for (uint32_t seq = 1; seq <= 500; ++seq) {
    session_->Send(EncodeFrame(FrameKind::kEvent, seq, 2, std::vector<uint8_t>{1, 2, 3}));
  }
  EXPECT_LE(session_->WriterWakes(), 1u) << "only a writer asleep is woken";

  const auto frames = Receive(501);
  ASSERT_EQ(frames.size(), 501u);
  EXPECT_EQ(frames[0].payload.size(), 8u << 20);
  for (uint32_t seq = 0; seq < 501; ++seq) EXPECT_EQ(frames[seq].seq, seq);
  EXPECT_LE(session_->WriterWakes(), 1u);

  // Asleep again once everything is out: the next frame wakes it, and comes.
  const uint64_t wakes = session_->WriterWakes();
  std::this_thread::sleep_for(50ms);
  session_->Send(EncodeFrame(FrameKind::kEvent, 501, 2, {}));
  const auto last = Receive(1);
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].seq, 501u);
  EXPECT_EQ(session_->WriterWakes(), wakes + 1);
}

TEST_F(SessionTest, CloseSendsWhatIsQueuedAndWakesASleepingWriter) {
  std::this_thread::sleep_for(50ms);  // the writer has found nothing and sleeps
  for (uint32_t seq = 1; seq <= 3; ++seq)
    session_->Send(EncodeFrame(FrameKind::kReply, seq, 0, {}));
  session_->Close();
  const auto frames = Receive(4);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2].seq, 3u);
}

TEST_F(SessionTest, HeldFramesWakeTheWriterOnceWhenTheHoldEnds) {
  std::this_thread::sleep_for(50ms);  // the writer has found nothing and sleeps
  {
    WakeHold hold;
    for (uint32_t seq = 1; seq <= 100; ++seq) {
      session_->SendHeld(EncodeFrame(FrameKind::kEvent, seq, 2, std::vector<uint8_t>{1}));
    }
    EXPECT_EQ(session_->WriterWakes(), 0u) << "held frames wait for the hold's end";
    {
      WakeHold inner;  // nested: its end gives nothing
    }
    EXPECT_EQ(session_->WriterWakes(), 0u);
  }
  EXPECT_EQ(session_->WriterWakes(), 1u);
  const auto frames = Receive(100);
  ASSERT_EQ(frames.size(), 100u);
  for (uint32_t seq = 1; seq <= 100; ++seq) EXPECT_EQ(frames[seq - 1].seq, seq);
}

TEST_F(SessionTest, AFrameThatCannotWaitTakesTheHeldOnesWithItInOrder) {
  std::this_thread::sleep_for(50ms);
  WakeHold hold;
  session_->SendHeld(EncodeFrame(FrameKind::kEvent, 1, 2, {}));
  session_->SendHeld(EncodeFrame(FrameKind::kEvent, 2, 2, {}));
  session_->Send(EncodeFrame(FrameKind::kReply, 3, 0, {}));
  const auto frames = Receive(3);
  ASSERT_EQ(frames.size(), 3u);
  for (uint32_t seq = 1; seq <= 3; ++seq) EXPECT_EQ(frames[seq - 1].seq, seq);
  EXPECT_EQ(session_->WriterWakes(), 1u);
}

TEST_F(SessionTest, WithoutAHoldAFrameThatCanWaitGoesAtOnce) {
  // No hold on this thread (one on another thread holds nothing here).
  std::this_thread::sleep_for(50ms);
  std::thread([] { WakeHold other; }).join();
  session_->SendHeld(EncodeFrame(FrameKind::kEvent, 1, 2, {}));
  const auto frames = Receive(1);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].seq, 1u);
}

}  // namespace
}  // namespace rpc
