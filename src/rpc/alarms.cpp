#include "rpc/alarms.h"

namespace rpc {

Alarms::Alarms(MainThreadPost post) : post_(std::move(post)), thread_([this] { Run(); }) {}

Alarms::~Alarms() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  thread_.join();
}

void Alarms::At(Clock::time_point when, std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    due_.emplace(when, std::move(work));
  }
  changed_.notify_one();
}

void Alarms::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto first = due_.begin();
    if (Clock::now() < first->first) {
      changed_.wait_until(lock, first->first);
      continue;
    }
    auto work = std::move(first->second);
    due_.erase(first);
    lock.unlock();
    post_(std::move(work));
    lock.lock();
  }
}

}  // namespace rpc
