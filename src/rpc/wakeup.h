#pragma once

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace rpc {

// Puts one thread to sleep until another wakes it: one system call on each side and nothing
// else (a condition variable's wake costs its sleeper one more on the mutex, and the standard
// semaphore yields the processor a few times before it sleeps). A wake given while the thread
// is not asleep is kept for its next Wait. It carries no data: what the sleeper is woken for
// stays under the caller's own lock.
class Wakeup {
 public:
  void Wait() {
    while (posted_.exchange(0, std::memory_order_acquire) == 0) Futex(FUTEX_WAIT_PRIVATE, 0);
  }
  // Waits at most `timeout` (one wait; a signal may end it sooner); whether a wake came.
  bool WaitFor(std::chrono::nanoseconds timeout) {
    if (posted_.exchange(0, std::memory_order_acquire) != 0) return true;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec relative{static_cast<time_t>(seconds.count()),
                            static_cast<long>((timeout - seconds).count())};
    Futex(FUTEX_WAIT_PRIVATE, 0, &relative);
    return posted_.exchange(0, std::memory_order_acquire) != 0;
  }
  void Post() {
    posted_.store(1, std::memory_order_release);
    Futex(FUTEX_WAKE_PRIVATE, 1);
  }

 private:
  void Futex(int op, std::uint32_t value, const timespec* timeout = nullptr) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&posted_), op, value, timeout, nullptr,
              0);
  }

  static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
  std::atomic<std::uint32_t> posted_{0};
};

}  // namespace rpc
