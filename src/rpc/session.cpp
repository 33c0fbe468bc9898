#include "rpc/session.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <utility>

#include "rpc/wakehold.h"

namespace rpc {

namespace {
// A client that stops reading cannot hold the writer (and so the server's shutdown) for long.
constexpr int kSendTimeoutSeconds = 10;
constexpr size_t kReadChunk = 64 * 1024;
// Frames up to this size arrive without taking their share of the budget first, so each
// client holds at most about this much outside it.
constexpr size_t kFreeFrameBytes = 1u << 20;
// What a call waiting for the main thread costs besides its bytes.
constexpr size_t kCallOverheadBytes = 512;
}  // namespace

Session::Session(UniqueFd fd, uint64_t id, std::shared_ptr<FrameBudget> budget,
                 SessionLimits limits)
    : fd_(std::move(fd)),
      id_(id),
      budget_(std::move(budget)),
      limits_(limits),
      waitingCalls_(std::make_shared<FrameBudget>(limits.maxWaitingCalls)) {
  timeval tv{kSendTimeoutSeconds, 0};
  ::setsockopt(fd_.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

Session::~Session() { Close(); }

void Session::Start(FrameHandler onFrame, std::function<void()> onClosed) {
  // Close may run on the main thread as soon as the reader has started.
  std::lock_guard lock(mutex_);
  onFrame_ = std::move(onFrame);
  onClosed_ = std::move(onClosed);
  reader_ = std::thread([this] { ReadLoop(); });
  writer_ = std::thread([this] { WriteLoop(); });
}

bool Session::Queue(std::vector<uint8_t> frame) {
  if (ended_ || closing_) return false;
  if (queuedBytes_ + frame.size() > limits_.maxQueuedBytes) {
    // The client does not read what it asked for: drop it rather than hold more for it.
    ended_ = true;
    queue_.clear();
    queuedBytes_ = 0;
    Shutdown();
  } else {
    queuedBytes_ += frame.size();
    queue_.push_back(std::move(frame));
  }
  return writerAsleep_;
}

void Session::Send(std::vector<uint8_t> frame) {
  bool asleep = false;
  {
    std::lock_guard lock(mutex_);
    // A writer at work takes this frame with the others when it comes back; only a writer
    // asleep needs the wake, and only the first of the frames that come meanwhile gives it.
    if (Queue(std::move(frame))) asleep = std::exchange(writerAsleep_, false);
  }
  WakeWriter(asleep);
}

void Session::SendHeld(std::vector<uint8_t> frame) {
  bool wakeNow = false;
  bool hold = false;
  {
    std::lock_guard lock(mutex_);
    if (Queue(std::move(frame))) {
      // A session that has just ended wakes its writer at once, so that it stops.
      if (ended_)
        wakeNow = std::exchange(writerAsleep_, false);
      else
        hold = true;
    }
  }
  WakeWriter(wakeNow);
  if (hold && !WakeHold::Keep(weak_from_this())) GiveHeldWake();
}

void Session::GiveHeldWake() {
  bool asleep = false;
  {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) asleep = std::exchange(writerAsleep_, false);
  }
  WakeWriter(asleep);
}

void Session::WakeWriter(bool asleep) {
  if (!asleep) return;
  writerWakes_.fetch_add(1, std::memory_order_relaxed);
  writerWake_.Post();
}

uint32_t Session::NextEventSeq() {
  std::lock_guard lock(mutex_);
  return ++eventSeq_;
}

void Session::ExpectAnswer(uint32_t seq, AnswerHandler onAnswer) {
  {
    std::lock_guard lock(mutex_);
    if (!ended_) {
      answers_[seq] = std::move(onAnswer);
      return;
    }
  }
  onAnswer({});
}

void Session::FailAnswers() {
  std::map<uint32_t, AnswerHandler> answers;
  {
    std::lock_guard lock(mutex_);
    answers.swap(answers_);
  }
  for (auto& [seq, onAnswer] : answers) onAnswer({});
}

void Session::Shutdown() { ::shutdown(fd_.get(), SHUT_RDWR); }

bool Session::Stopping() {
  std::lock_guard lock(mutex_);
  return closing_ || ended_;
}

bool Session::WaitForBytes() {
  pollfd p{fd_.get(), POLLIN, 0};
  for (;;) {
    const int rc = ::poll(&p, 1, static_cast<int>(limits_.stallTimeout.count()));
    if (rc < 0 && errno == EINTR) continue;
    return rc > 0;
  }
}

bool Session::Deliver(Frame frame, std::unique_ptr<FrameBudget::Hold>* partial) {
  if (frame.kind == FrameKind::kEventReply) {
    partial->reset();
    AnswerHandler onAnswer;
    {
      std::lock_guard lock(mutex_);
      if (auto it = answers_.find(frame.seq); it != answers_.end()) {
        onAnswer = std::move(it->second);
        answers_.erase(it);
      }
    }
    if (onAnswer) onAnswer(std::move(frame.payload));
    return true;
  }
  if (frame.kind != FrameKind::kCall) return false;  // a client sends only calls and answers
  const auto stopping = [this] { return Stopping(); };
  CallHold hold;
  hold.place = waitingCalls_->Take(1, stopping);
  hold.bytes = std::move(*partial);
  if (!hold.bytes)
    hold.bytes = budget_->Take(
        kFrameHeaderSize + kBodyHeaderSize + frame.payload.size() + kCallOverheadBytes, stopping);
  if (!hold.place || !hold.bytes) return false;
  onFrame_(std::move(frame), std::move(hold));
  return true;
}

void Session::ReadLoop() {
  FrameDecoder decoder;
  std::vector<uint8_t> chunk(kReadChunk);
  // The budget taken for the large frame that is arriving.
  std::unique_ptr<FrameBudget::Hold> partial;
  for (;;) {
    if (!partial && decoder.Buffered() >= kFreeFrameBytes) {
      if (auto size = decoder.Announced()) {
        partial = budget_->Take(*size, [this] { return Stopping(); });
        if (!partial) break;
        decoder.Expect(*size);
      }
    }
    if (partial && !WaitForBytes()) break;  // the frame stopped coming
    const ssize_t n = ReadSome(fd_.get(), chunk);
    if (n <= 0) break;
    decoder.Feed(std::span(chunk.data(), static_cast<size_t>(n)));
    bool bad = false;
    while (auto frame = decoder.Next()) {
      if (!Deliver(std::move(*frame), &partial)) {
        bad = true;
        break;
      }
    }
    if (bad || decoder.failed()) break;
  }
  partial.reset();
  bool asleep = false;
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
    asleep = std::exchange(writerAsleep_, false);
  }
  FailAnswers();
  WakeWriter(asleep);
  Shutdown();
  if (onClosed_) onClosed_();
}

void Session::WriteLoop() {
  for (;;) {
    std::vector<std::vector<uint8_t>> batch;
    {
      std::lock_guard lock(mutex_);
      if (ended_ || (closing_ && queue_.empty())) break;
      // With nothing to write it sleeps; whoever queues a frame or ends the session next wakes
      // it.
      writerAsleep_ = queue_.empty();
      batch.swap(queue_);
      queuedBytes_ = 0;
    }
    if (batch.empty()) {
      writerWake_.Wait();
      continue;
    }
    // What gathered while the writer slept or wrote goes out in one gathered write.
    if (!SendAll(fd_.get(), batch)) break;
  }
  {
    std::lock_guard lock(mutex_);
    queue_.clear();
    queuedBytes_ = 0;
  }
  // Either side ending the connection ends the reader too.
  Shutdown();
}

void Session::Close() {
  std::thread writer, reader;
  bool asleep = false;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    asleep = std::exchange(writerAsleep_, false);
    if (writer_.get_id() != std::this_thread::get_id()) writer = std::move(writer_);
    if (reader_.get_id() != std::this_thread::get_id()) reader = std::move(reader_);
  }
  WakeWriter(asleep);
  if (writer.joinable()) writer.join();
  Shutdown();
  if (reader.joinable()) reader.join();
}

}  // namespace rpc
