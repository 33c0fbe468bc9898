#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

// Posted messages between threads, in place of window handles and PostMessage.
//
// A target is registered under a non-zero id (what a record stores where a window handle
// would be). Any thread may post to an id; a post to an id that is not registered, or no longer
// is, is dropped. A message carries its record by value (up to 32 bytes), so nothing that
// another thread may overwrite is ever shared.
//
// The registry lives in the shared library pellora_messages so that the driver library and the
// programs that load it see the same targets.
namespace platform {

using TargetId = std::uintptr_t;

struct Message {
  static constexpr std::size_t kMaxPayload = 32;

  std::uint32_t msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::array<std::uint8_t, kMaxPayload> payload{};
  std::uint8_t payloadSize = 0;

  std::span<const std::uint8_t> Payload() const { return {payload.data(), payloadSize}; }
};

// Receives posted messages. Deliver may be called from any thread, under the registry's lock:
// it must return quickly and must not register, unregister or post.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void Deliver(Message message) = 0;
};

// Keeps a target registered for as long as it lives. After the destructor (or Reset) returns,
// the target gets no further Deliver call.
class TargetRegistration {
 public:
  TargetRegistration() = default;
  explicit TargetRegistration(std::shared_ptr<MessageTarget> target);
  ~TargetRegistration();
  TargetRegistration(TargetRegistration&& other) noexcept;
  TargetRegistration& operator=(TargetRegistration&& other) noexcept;
  TargetRegistration(const TargetRegistration&) = delete;
  TargetRegistration& operator=(const TargetRegistration&) = delete;

  TargetId Id() const { return id_; }
  void Reset();

 private:
  TargetId id_ = 0;
};

// Posts to the target registered under id. Payloads longer than Message::kMaxPayload are
// refused. Returns true when a target took the message.
bool Post(TargetId id, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
          std::span<const std::uint8_t> payload = {});

// A target that queues what it receives for one consumer thread to take in order.
class QueueTarget : public MessageTarget {
 public:
  void Deliver(Message message) override;

  // The oldest message, waiting up to timeout for one; nothing when none came in time.
  std::optional<Message> Wait(std::chrono::milliseconds timeout);
  // The oldest message whose number is msg, waiting up to timeout; earlier messages of
  // other numbers stay queued.
  std::optional<Message> WaitFor(std::uint32_t msg, std::chrono::milliseconds timeout);
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Message> queue_;
};

}  // namespace platform
