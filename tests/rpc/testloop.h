#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// A stand-in for the server's main thread: runs posted work in order on a thread of its own.
class TestLoop {
 public:
  TestLoop() : thread_([this] { Run(); }) {}
  ~TestLoop() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  void Post(std::function<void()> f) {
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(f));
    }
    wake_.notify_one();
  }

  // Runs f on the loop and waits for it.
  template <class F>
  auto Sync(F f) {
    std::packaged_task<decltype(f())()> task(std::move(f));
    auto result = task.get_future();
    Post([&task] { task(); });
    return result.get();
  }

 private:
  void Run() {
    for (;;) {
      std::function<void()> f;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return done_ || !queue_.empty(); });
        if (queue_.empty()) return;
        f = std::move(queue_.front());
        queue_.pop_front();
      }
      f();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool done_ = false;
  std::thread thread_;
};
