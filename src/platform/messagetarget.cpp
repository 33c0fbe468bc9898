#include "platform/messagetarget.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace platform {

namespace {

class Registry {
 public:
  TargetId Add(std::shared_ptr<MessageTarget> target) {
    std::lock_guard lock(mutex_);
    TargetId id = ++last_;
    targets_.emplace(id, std::move(target));
    return id;
  }

  void Remove(TargetId id) {
    std::lock_guard lock(mutex_);
    targets_.erase(id);
  }

  // Delivers under the lock so that no message reaches a target after Remove returned.
  bool Deliver(TargetId id, Message message) {
    std::lock_guard lock(mutex_);
    auto it = targets_.find(id);
    if (it == targets_.end()) return false;
    it->second->Deliver(std::move(message));
    return true;
  }

 private:
  std::mutex mutex_;
  TargetId last_ = 0;  // ids are never reused, so a stale id cannot reach a newer target
  std::unordered_map<TargetId, std::shared_ptr<MessageTarget>> targets_;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

TargetRegistration::TargetRegistration(std::shared_ptr<MessageTarget> target)
    : id_(target ? TheRegistry().Add(std::move(target)) : 0) {}

TargetRegistration::~TargetRegistration() { Reset(); }

TargetRegistration::TargetRegistration(TargetRegistration&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {}

TargetRegistration& TargetRegistration::operator=(TargetRegistration&& other) noexcept {
  if (this != &other) {
    Reset();
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void TargetRegistration::Reset() {
  if (id_ != 0) TheRegistry().Remove(std::exchange(id_, 0));
}

bool Post(TargetId id, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
          std::span<const std::uint8_t> payload) {
  if (id == 0 || payload.size() > Message::kMaxPayload) return false;
  Message message;
  message.msg = msg;
  message.wParam = wParam;
  message.lParam = lParam;
  std::copy(payload.begin(), payload.end(), message.payload.begin());
  message.payloadSize = static_cast<std::uint8_t>(payload.size());
  return TheRegistry().Deliver(id, message);
}

void QueueTarget::Deliver(Message message) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(message);
  }
  arrived_.notify_all();
}

std::optional<Message> QueueTarget::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!arrived_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return std::nullopt;
  Message message = queue_.front();
  queue_.pop_front();
  return message;
}

std::optional<Message> QueueTarget::WaitFor(std::uint32_t msg, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto match = queue_.end();
  auto found = [&] {
    match = std::find_if(queue_.begin(), queue_.end(),
                         [msg](const Message& m) { return m.msg == msg; });
    return match != queue_.end();
  };
  if (!arrived_.wait_for(lock, timeout, found)) return std::nullopt;
  Message message = *match;
  queue_.erase(match);
  return message;
}

std::size_t QueueTarget::Size() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

}  // namespace platform
