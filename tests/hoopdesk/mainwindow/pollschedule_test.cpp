#include "hoopdesk/mainwindow/pollschedule.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// Records what the schedule asks for; answers and busy state are set by the test.
class FakeHost : public IPollHost {
 public:
  void PollMachines(std::int32_t pollCount) override { polls.push_back(pollCount); }
  bool AnyMachineBusy() override { return busy; }
  void EnableRescan(bool enabled) override { rescanEnabled = enabled; }
  void SendServiceRequest() override { ++requests; }
  std::optional<bool> ReceiveAndMerge() override {
    if (answers.empty()) return std::nullopt;
    const bool added = answers.front();
    answers.pop_front();
    return added;
  }
  void MachinesAdded() override { ++arranged; }

  std::vector<std::int32_t> polls;
  bool busy = false;
  bool rescanEnabled = false;
  int requests = 0;
  std::deque<bool> answers;
  int arranged = 0;
};

// The first tick comes a timer interval after the window was made.
struct Clock {
  std::uint32_t now = 100000;
  void Step(std::uint32_t ms = 250) { now += ms; }
  TTickClock Source() {
    return [this] { return now; };
  }
};

TEST(PollSchedule, FirstTickPollsAndSendsTheFirstDiscoveryRequest) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  clock.Step();
  schedule.Tick(host);
  EXPECT_EQ(host.polls, (std::vector<std::int32_t>{0}));
  EXPECT_EQ(host.requests, 1);
  EXPECT_TRUE(host.rescanEnabled);
  EXPECT_EQ(schedule.TicksSincePoll(), 0);
  EXPECT_EQ(schedule.PollsSinceRequest(), 0);
}

TEST(PollSchedule, PollsEveryFourthTickWhileTheLoopIsFree) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  clock.Step();
  schedule.Tick(host);  // first tick polls
  std::vector<int> pollTicks;
  for (int tick = 1; tick <= 12; ++tick) {
    clock.now += 250;
    const std::size_t before = host.polls.size();
    schedule.Tick(host);
    if (host.polls.size() > before) pollTicks.push_back(tick);
  }
  EXPECT_EQ(pollTicks, (std::vector<int>{4, 8, 12}));
  EXPECT_EQ(host.polls, (std::vector<std::int32_t>{0, 1, 2, 3}));
}

TEST(PollSchedule, AStallOfOneSecondOrMorePollsAtOnceAndRestartsTheTickCount) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  clock.Step();
  schedule.Tick(host);
  clock.now += 250;
  schedule.Tick(host);
  EXPECT_EQ(host.polls.size(), 1u);
  clock.now += 1200;  // the loop was blocked
  schedule.Tick(host);
  EXPECT_EQ(host.polls.size(), 2u);
  EXPECT_EQ(schedule.TicksSincePoll(), 0);
  // The count starts again from 0: three more ticks without a poll, the fourth polls.
  for (int i = 0; i < 3; ++i) {
    clock.now += 250;
    schedule.Tick(host);
  }
  EXPECT_EQ(host.polls.size(), 2u);
  clock.now += 250;
  schedule.Tick(host);
  EXPECT_EQ(host.polls.size(), 3u);
}

TEST(PollSchedule, StartUpWithoutSearchPollsOnTheFirstTick) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  schedule.SetTicksSincePoll(10);
  FakeHost host;
  clock.now += 10;  // less than a poll interval after construction... still due
  schedule.Tick(host);
  EXPECT_EQ(host.polls.size(), 1u);
}

TEST(PollSchedule, NoDiscoveryRequestWhileAMachineIsBusyButAnswersAreStillMerged) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  host.busy = true;
  host.answers = {false, true};
  clock.Step();
  schedule.Tick(host);
  EXPECT_EQ(host.requests, 0);
  EXPECT_FALSE(host.rescanEnabled);
  EXPECT_TRUE(host.answers.empty());
  EXPECT_EQ(host.arranged, 1);
  // Eight polls later, still busy: still no request, and the poll counter keeps counting.
  for (int i = 0; i < 8 * 4; ++i) {
    clock.now += 250;
    schedule.Tick(host);
  }
  EXPECT_EQ(host.requests, 0);
  host.busy = false;
  clock.now += 1000;
  schedule.Tick(host);
  EXPECT_EQ(host.requests, 1);
  EXPECT_TRUE(host.rescanEnabled);
}

TEST(PollSchedule, RequestsWaitForEightPollsAndTwoQuietSeconds) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  clock.Step();
  schedule.Tick(host);
  ASSERT_EQ(host.requests, 1);
  // An answer read on the seventh poll keeps the eighth poll's request back for two seconds.
  for (int poll = 1; poll <= 8; ++poll) {
    if (poll == 7) host.answers = {false};
    clock.now += 1000;
    schedule.Tick(host);
  }
  EXPECT_EQ(host.requests, 1) << "polls since request reached 8 but an answer just came";
  for (int poll = 0; poll < 2; ++poll) {
    clock.now += 1000;
    schedule.Tick(host);
  }
  EXPECT_EQ(host.requests, 2);
}

TEST(PollSchedule, ARescanFromTheMenuSuppressesTheRequestButResetsTheCount) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  schedule.SetRescanning(true);
  FakeHost host;
  clock.Step();
  schedule.Tick(host);
  EXPECT_EQ(host.requests, 0);
  EXPECT_EQ(schedule.PollsSinceRequest(), 0);
}

TEST(PollSchedule, AtMostSixAnswersAreReadPerTick) {
  Clock clock;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  host.answers = std::deque<bool>(8, false);
  clock.Step();
  schedule.Tick(host);
  EXPECT_EQ(host.answers.size(), 2u);
  EXPECT_EQ(host.arranged, 0);
}

TEST(PollSchedule, TheTickCountWrapsWithoutAStorm) {
  Clock clock;
  clock.now = 0xFFFFFF00u;
  TPollSchedule schedule(clock.Source());
  FakeHost host;
  clock.Step();
  schedule.Tick(host);
  clock.now += 0x200;  // wraps past zero, 512 ms later
  schedule.Tick(host);
  EXPECT_EQ(host.polls.size(), 1u);
}

}  // namespace
