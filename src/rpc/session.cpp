#include "rpc/session.h"

#include <sys/socket.h>
#include <sys/time.h>

namespace rpc {

namespace {
// A client that stops reading cannot hold the writer (and so the server's shutdown) for long.
constexpr int kSendTimeoutSeconds = 10;
constexpr size_t kReadChunk = 64 * 1024;
}  // namespace

Session::Session(UniqueFd fd, uint64_t id) : fd_(std::move(fd)), id_(id) {
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

void Session::Send(std::vector<uint8_t> frame) {
  {
    std::lock_guard lock(mutex_);
    if (ended_ || closing_) return;
    queue_.push_back(std::move(frame));
  }
  wake_.notify_one();
}

uint32_t Session::NextEventSeq() {
  std::lock_guard lock(mutex_);
  return ++eventSeq_;
}

std::future<std::vector<uint8_t>> Session::ExpectAnswer(uint32_t seq) {
  std::lock_guard lock(mutex_);
  std::promise<std::vector<uint8_t>> promise;
  auto future = promise.get_future();
  if (ended_)
    promise.set_value({});
  else
    answers_[seq] = std::move(promise);
  return future;
}

void Session::ForgetAnswer(uint32_t seq) {
  std::lock_guard lock(mutex_);
  answers_.erase(seq);
}

void Session::FailAnswers() {
  for (auto& [seq, promise] : answers_) promise.set_value({});
  answers_.clear();
}

void Session::Shutdown() { ::shutdown(fd_.get(), SHUT_RDWR); }

void Session::ReadLoop() {
  FrameDecoder decoder;
  std::vector<uint8_t> chunk(kReadChunk);
  for (;;) {
    const ssize_t n = ReadSome(fd_.get(), chunk);
    if (n <= 0) break;
    decoder.Feed(std::span(chunk.data(), static_cast<size_t>(n)));
    bool bad = false;
    while (auto frame = decoder.Next()) {
      if (frame->kind == FrameKind::kCall) {
        onFrame_(std::move(*frame));
      } else if (frame->kind == FrameKind::kEventReply) {
        std::lock_guard lock(mutex_);
        if (auto it = answers_.find(frame->seq); it != answers_.end()) {
          it->second.set_value(std::move(frame->payload));
          answers_.erase(it);
        }
      } else {
        bad = true;  // a client sends only calls and answers
        break;
      }
    }
    if (bad || decoder.failed()) break;
  }
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
    FailAnswers();
  }
  wake_.notify_one();
  Shutdown();
  if (onClosed_) onClosed_();
}

void Session::WriteLoop() {
  for (;;) {
    std::vector<uint8_t> frame;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return !queue_.empty() || ended_ || closing_; });
      if (queue_.empty() || ended_) break;
      frame = std::move(queue_.front());
      queue_.pop_front();
    }
    if (!SendAll(fd_.get(), frame)) break;
  }
  {
    std::lock_guard lock(mutex_);
    queue_.clear();
  }
  // Either side ending the connection ends the reader too.
  Shutdown();
}

void Session::Close() {
  std::thread writer, reader;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
    if (writer_.get_id() != std::this_thread::get_id()) writer = std::move(writer_);
    if (reader_.get_id() != std::this_thread::get_id()) reader = std::move(reader_);
  }
  wake_.notify_one();
  if (writer.joinable()) writer.join();
  Shutdown();
  if (reader.joinable()) reader.join();
}

}  // namespace rpc
