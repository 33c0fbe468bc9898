#include "pelsrv/lines/wakeups.h"

#include <algorithm>

namespace pelsrv {

TWakeUps::TWakeUps(platform::TargetId target, std::uint32_t msg)
    : target_(target), msg_(msg), thread_([this] { Run(); }) {}

TWakeUps::~TWakeUps() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void TWakeUps::At(std::uintptr_t key, Clock::time_point when) {
  {
    std::lock_guard lock(mutex_);
    due_[key] = when;
  }
  changed_.notify_all();
}

void TWakeUps::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const auto first = std::min_element(
        due_.begin(), due_.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    const Clock::time_point when = first->second;
    if (Clock::now() < when) {
      changed_.wait_until(lock, when);
      continue;
    }
    const std::uintptr_t key = first->first;
    due_.erase(first);
    // Posted without the lock: the target's queue has its own.
    lock.unlock();
    platform::Post(target_, msg_, key, 0);
    lock.lock();
  }
}

}  // namespace pelsrv
