#include "portlink/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace portlink {

Event::Event(Reset mode) : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), mode_(mode) {}

Event::~Event() {
  if (fd_ >= 0) close(fd_);
}

void Event::Set() {
  std::uint64_t one = 1;
  // The counter only saturates after 2^64 sets; a failed write there changes nothing.
  [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

void Event::Clear() {
  std::uint64_t value;
  [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
}

bool Event::TryTake() {
  if (mode_ == Reset::kAuto) {
    std::uint64_t value;
    return read(fd_, &value, sizeof value) == sizeof value;
  }
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

int PollRetry(pollfd* fds, unsigned count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int rc = poll(fds, count, timeoutMs);
    if (rc >= 0 || errno != EINTR) return rc;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      timeoutMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
  }
}

int WaitAny(std::initializer_list<Event*> events,
            std::optional<std::chrono::milliseconds> timeout) {
  std::vector<pollfd> fds;
  for (Event* e : events) fds.push_back({e->Fd(), POLLIN, 0});
  int timeoutMs = timeout ? static_cast<int>(timeout->count()) : -1;
  for (;;) {
    int rc = PollRetry(fds.data(), static_cast<unsigned>(fds.size()), timeoutMs);
    if (rc <= 0) return -1;
    int index = 0;
    for (Event* e : events) {
      // Another waiter may have taken an auto-reset event first: then wait again.
      if ((fds[index].revents & POLLIN) && e->TryTake()) return index;
      ++index;
    }
  }
}

}  // namespace portlink
