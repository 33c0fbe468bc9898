// When a running transfer has waited too long for the machine's next block request.
//
// A machine pulls every frame of a design itself, so a transfer that hears no request ends only
// when something watches it. The limit is generous: between two requests a machine only stores
// the last frame (a 521-byte frame takes about 0.55 s on a 9600-baud line, far less on the
// network), but it may pause while its memory is busy or its operator is at the panel. 30 s lets
// such a pause pass and still tells the operator of a machine that has stopped within half a
// minute.
#pragma once

#include <chrono>

class TTransferWatch {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kDefaultLimit{30000};

  explicit TTransferWatch(std::chrono::milliseconds limit = kDefaultLimit) { SetLimit(limit); }

  // A limit below 1 ms counts as 1 ms.
  void SetLimit(std::chrono::milliseconds limit);
  std::chrono::milliseconds Limit() const { return limit_; }

  // The transfer started, or the machine asked for a block: the wait starts again at `now`.
  void Heard(Clock::time_point now);
  // The transfer ended.
  void Stop() { running_ = false; }
  bool Running() const { return running_; }
  // When the running transfer expires unless the machine asks again.
  Clock::time_point Deadline() const { return last_ + limit_; }
  // Running and at least the limit since the last request.
  bool Expired(Clock::time_point now) const { return running_ && now >= Deadline(); }

 private:
  std::chrono::milliseconds limit_{kDefaultLimit};
  bool running_ = false;
  Clock::time_point last_{};
};
