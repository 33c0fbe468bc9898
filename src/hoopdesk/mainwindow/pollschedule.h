// The 250 ms timer's schedule: when the machines are polled and when a discovery request goes
// out. The clock is injected so tests can stall it; the work itself is the host's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// Milliseconds of a monotonic tick count; differences are taken unsigned, so a wrap is harmless.
using TTickClock = std::function<std::uint32_t()>;
std::uint32_t SystemTickCount();

// What one tick asks of the main window.
class IPollHost {
 public:
  virtual ~IPollHost() = default;
  virtual void PollMachines(std::int32_t pollCount) = 0;
  virtual bool AnyMachineBusy() = 0;
  virtual void EnableRescan(bool enabled) = 0;
  virtual void SendServiceRequest() = 0;
  // Reads one discovery answer when one is ready and merges it: nothing when none was ready,
  // else whether the merge added a machine.
  virtual std::optional<bool> ReceiveAndMerge() = 0;
  // At least one machine was added by this tick's answers.
  virtual void MachinesAdded() = 0;
};

class TPollSchedule {
 public:
  static constexpr std::uint32_t kPollInterval = 1000;   // ms: a late tick polls at once
  static constexpr std::uint32_t kQuietInterval = 2000;  // ms since the last answer
  static constexpr int kTicksPerPoll = 4;
  static constexpr int kPollsPerRequest = 8;
  static constexpr int kAnswersPerTick = 6;

  explicit TPollSchedule(TTickClock clock = SystemTickCount);

  void Tick(IPollHost& host);

  // The start-up without a search makes the first tick poll at once.
  void SetTicksSincePoll(int ticks) { ticksSincePoll_ = ticks; }
  void SetRescanning(bool rescanning) { rescanning_ = rescanning; }
  bool IsRescanning() const { return rescanning_; }
  // A rescan from the menu counts as an answer just received.
  void AnswerNow() { lastAnswerTime_ = clock_(); }

  int TicksSincePoll() const { return ticksSincePoll_; }
  int PollsSinceRequest() const { return pollsSinceRequest_; }
  std::int32_t PollCount() const { return pollCount_; }

 private:
  TTickClock clock_;
  std::int32_t pollCount_ = 0;
  std::uint32_t lastPollTime_;
  std::uint32_t lastAnswerTime_;
  int ticksSincePoll_ = kTicksPerPoll;
  int pollsSinceRequest_ = kPollsPerRequest;
  bool rescanning_ = false;
};
