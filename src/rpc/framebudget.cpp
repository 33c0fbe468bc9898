#include "rpc/framebudget.h"

namespace rpc {

namespace {
constexpr std::chrono::milliseconds kAskEvery{50};
}  // namespace

std::unique_ptr<FrameBudget::Hold> FrameBudget::Take(size_t n,
                                                     const std::function<bool()>& gaveUp) {
  if (n > capacity_) return nullptr;
  std::unique_lock lock(mutex_);
  while (capacity_ - used_ < n) {
    if (gaveUp()) return nullptr;
    freed_.wait_for(lock, kAskEvery);
  }
  used_ += n;
  return std::make_unique<Hold>(shared_from_this(), n);
}

size_t FrameBudget::used() const {
  std::lock_guard lock(mutex_);
  return used_;
}

void FrameBudget::Give(size_t n) {
  {
    std::lock_guard lock(mutex_);
    used_ -= n;
  }
  freed_.notify_all();
}

}  // namespace rpc
