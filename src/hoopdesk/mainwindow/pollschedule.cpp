#include "hoopdesk/mainwindow/pollschedule.h"

#include <chrono>

std::uint32_t SystemTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TPollSchedule::TPollSchedule(TTickClock clock) : clock_(std::move(clock)) {
  const std::uint32_t now = clock_();
  lastPollTime_ = now - kPollInterval;
  lastAnswerTime_ = now - kQuietInterval;
}

void TPollSchedule::Tick(IPollHost& host) {
  const std::uint32_t now = clock_();
  bool pollDue = now - lastPollTime_ >= kPollInterval;
  const bool quiet = now - lastAnswerTime_ > kQuietInterval;
  if (++ticksSincePoll_ >= kTicksPerPoll) pollDue = true;

  if (pollDue) {
    lastPollTime_ = clock_();
    ticksSincePoll_ = 0;
    host.PollMachines(pollCount_);
    ++pollCount_;
    ++pollsSinceRequest_;
    const bool idle = !host.AnyMachineBusy();
    host.EnableRescan(idle);
    if (pollsSinceRequest_ >= kPollsPerRequest && idle && quiet) {
      if (!rescanning_) host.SendServiceRequest();
      pollsSinceRequest_ = 0;
    }
  }

  bool added = false;
  for (int i = 0; i < kAnswersPerTick; ++i) {
    const std::optional<bool> merged = host.ReceiveAndMerge();
    if (!merged) break;
    added = added || *merged;
    lastAnswerTime_ = clock_();
  }
  if (added) host.MachinesAdded();
}
