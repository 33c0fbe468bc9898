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
// semaphore yields the processor a few times before it sleeps), and none at all when the wake
// comes while the sleeper is still spinning for it. A wake given while the thread is not asleep
// is kept for its next wait. It carries no data: what the sleeper is woken for stays under the
// caller's own lock. One thread waits on it at a time.
class Wakeup {
 public:
  void Wait() {
    while (!Sleep(nullptr)) {
    }
  }
  // Waits at most `timeout` (one wait; a signal may end it sooner), watching for the wake
  // without sleeping for its first `spin`; whether a wake came.
  bool WaitFor(std::chrono::nanoseconds timeout,
               std::chrono::nanoseconds spin = std::chrono::nanoseconds::zero()) {
    if (Take()) return true;
    if (spin > std::chrono::nanoseconds::zero()) {
      const auto until = std::chrono::steady_clock::now() + spin;
      do {
        for (int i = 0; i < 64; ++i) {
          if (state_.load(std::memory_order_relaxed) == kPosted && Take()) return true;
          Relax();
        }
      } while (std::chrono::steady_clock::now() < until);
      timeout -= spin;
      if (timeout <= std::chrono::nanoseconds::zero()) return Take();
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timespec relative{static_cast<time_t>(seconds.count()),
                            static_cast<long>((timeout - seconds).count())};
    return Sleep(&relative);
  }
  void Post() {
    if (state_.exchange(kPosted, std::memory_order_release) == kSleeping)
      Futex(FUTEX_WAKE_PRIVATE, 1, nullptr);
  }

 private:
  static constexpr std::uint32_t kIdle = 0;
  static constexpr std::uint32_t kPosted = 1;
  static constexpr std::uint32_t kSleeping = 2;  // the waiter is in the kernel, or about to be

  static void Relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  bool Take() { return state_.exchange(kIdle, std::memory_order_acquire) == kPosted; }
  // Sleeps once (until the timeout when there is one); whether a wake came.
  bool Sleep(const timespec* timeout) {
    std::uint32_t idle = kIdle;
    if (!state_.compare_exchange_strong(idle, kSleeping, std::memory_order_acquire)) return Take();
    Futex(FUTEX_WAIT_PRIVATE, kSleeping, timeout);
    return Take();
  }
  void Futex(int op, std::uint32_t value, const timespec* timeout) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&state_), op, value, timeout, nullptr, 0);
  }

  static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
  std::atomic<std::uint32_t> state_{kIdle};
};

}  // namespace rpc
