#pragma once

#include <poll.h>

#include <chrono>
#include <initializer_list>
#include <optional>

// An event a thread can wait on together with a descriptor: an eventfd that stays readable
// while set (manual reset) or until one waiter takes it (auto reset).
namespace portlink {

class Event {
 public:
  enum class Reset { kManual, kAuto };

  explicit Event(Reset mode);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  bool Valid() const { return fd_ >= 0; }
  void Set();
  void Clear();
  // For an auto-reset event: takes the signal if it is set. For a manual one: whether it is set.
  bool TryTake();
  int Fd() const { return fd_; }

 private:
  int fd_;
  Reset mode_;
};

// Waits for the first of the given events to be set, or for timeout (nullopt = forever).
// Returns its index (an auto-reset event is taken), or -1 on time-out.
int WaitAny(std::initializer_list<Event*> events, std::optional<std::chrono::milliseconds> timeout);

// poll() that resumes after EINTR with what is left of the timeout (-1 = forever).
int PollRetry(pollfd* fds, unsigned count, int timeoutMs);

}  // namespace portlink
