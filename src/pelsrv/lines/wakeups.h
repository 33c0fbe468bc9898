// Posts a message to a target at the times the main thread asks for, from a thread of its own,
// so that the main thread hears of a deadline without polling. Each key (a connection's cookie)
// has at most one time at once: asking again replaces it.
//
// Threads: At may be called from any thread; the message is posted from the wake-up thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include "platform/messagetarget.h"

namespace pelsrv {

class TWakeUps {
 public:
  using Clock = std::chrono::steady_clock;

  TWakeUps(platform::TargetId target, std::uint32_t msg);
  // Stops the thread; times still due are forgotten.
  ~TWakeUps();
  TWakeUps(const TWakeUps&) = delete;
  TWakeUps& operator=(const TWakeUps&) = delete;

  // Posts the message with wParam = key at `when` (at once when it has passed).
  void At(std::uintptr_t key, Clock::time_point when);

 private:
  void Run();

  const platform::TargetId target_;
  const std::uint32_t msg_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::uintptr_t, Clock::time_point> due_;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the fields above exist
};

}  // namespace pelsrv
