#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Time since it was made (or restarted).
class Stopwatch {
 public:
  std::chrono::milliseconds elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
  }
  void restart() { start_ = Clock::now(); }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_ = Clock::now();
};

// Scheduling slack on top of a deadline: a call must end within its deadline plus this.
inline constexpr std::chrono::milliseconds kSlack{750};

// Asks until it holds, at most limit; whether it did.
inline bool Eventually(const std::function<bool()>& holds,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  Stopwatch watch;
  while (!holds()) {
    if (watch.elapsed() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
