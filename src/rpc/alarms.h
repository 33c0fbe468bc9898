#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace rpc {

// Hands a piece of work to the server's main thread (by value; run later, in order).
using MainThreadPost = std::function<void(std::function<void()>)>;

// Work for the main thread that is due at a given time: one thread waits for the earliest
// and posts each when its time has come. Work not yet due when this goes is dropped.
class Alarms {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Alarms(MainThreadPost post);
  Alarms(const Alarms&) = delete;
  Alarms& operator=(const Alarms&) = delete;
  ~Alarms();

  // Any thread.
  void At(Clock::time_point when, std::function<void()> work);

 private:
  void Run();

  MainThreadPost post_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, std::function<void()>> due_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace rpc
