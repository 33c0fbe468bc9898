#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

namespace rpc {

// A bounded amount that readers take shares of and give back: the bytes of call frames the
// server holds for all its clients together (frames still arriving, once they are large, and
// frames waiting for the main thread), or the calls one client may have waiting. A reader
// that would pass the bound waits until others have been handled. Any thread; made with
// std::make_shared, as every share keeps its budget alive.
class FrameBudget : public std::enable_shared_from_this<FrameBudget> {
 public:
  class Hold;

  explicit FrameBudget(size_t capacity) : capacity_(capacity) {}
  FrameBudget(const FrameBudget&) = delete;
  FrameBudget& operator=(const FrameBudget&) = delete;

  // Takes n, waiting while it is not free, until gaveUp() says to stop (it is asked
  // every few milliseconds). Nothing when n can never fit or the wait was given up.
  std::unique_ptr<Hold> Take(size_t n, const std::function<bool()>& gaveUp);

  size_t capacity() const { return capacity_; }
  size_t used() const;

 private:
  void Give(size_t n);

  const size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable freed_;
  size_t used_ = 0;
};

// A share taken from a budget, given back when this goes.
class FrameBudget::Hold {
 public:
  Hold(std::shared_ptr<FrameBudget> budget, size_t n) : budget_(std::move(budget)), n_(n) {}
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
  ~Hold() { budget_->Give(n_); }
  size_t size() const { return n_; }

 private:
  std::shared_ptr<FrameBudget> budget_;
  size_t n_;
};

}  // namespace rpc
