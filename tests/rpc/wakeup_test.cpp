// The futex wake between two threads: wakes are kept until taken, never lost, and one given
// while the waiter still watches for it ends the wait as well as one given to a sleeper.
#include "rpc/wakeup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(Wakeup, AWakeGivenBeforeTheWaitIsKeptForItAndTakenOnce) {
  rpc::Wakeup wake;
  wake.Post();
  wake.Post();
  EXPECT_TRUE(wake.WaitFor(1ms));
  EXPECT_FALSE(wake.WaitFor(1ms));
  EXPECT_FALSE(wake.WaitFor(2ms, 1ms));  // the watch alone, then the sleep, both for nothing
  wake.Post();
  EXPECT_TRUE(wake.WaitFor(1ms, 5ms));  // a watch longer than the wait
}

struct Timing {
  const char* what;
  std::chrono::microseconds spin;
  std::chrono::microseconds postAfter;
};

class WakeupTiming : public ::testing::TestWithParam<Timing> {};

// Another thread wakes the waiter while it watches, while it sleeps, and (with Wait) at any
// time: the wait ends with the wake each time, long before it would time out.
TEST_P(WakeupTiming, AWakeFromAnotherThreadEndsTheWait) {
  rpc::Wakeup wake;
  for (int round = 0; round < 20; ++round) {
    std::thread poster([&] {
      std::this_thread::sleep_for(GetParam().postAfter);
      wake.Post();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(wake.WaitFor(10s, GetParam().spin));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    poster.join();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, WakeupTiming,
                         ::testing::Values(Timing{"WhileWatching", 200ms, 1ms},
                                           Timing{"WhileAsleep", 0us, 2ms},
                                           Timing{"AfterTheWatch", 1ms, 20ms}),
                         [](const auto& info) { return std::string(info.param.what); });

// Two threads hand a turn back and forth, one watching briefly before it sleeps, the other
// sleeping at once: every hand-over arrives, none is lost or taken twice.
TEST(Wakeup, ThousandsOfHandOversBetweenAWatcherAndASleeperAllArrive) {
  rpc::Wakeup toWatcher, toSleeper;
  constexpr int kRounds = 20000;
  std::atomic<int> turns{0};
  std::thread sleeper([&] {
    for (int i = 0; i < kRounds; ++i) {
      toSleeper.Wait();
      turns.fetch_add(1, std::memory_order_relaxed);
      toWatcher.Post();
    }
  });
  int answered = 0;
  for (int i = 0; i < kRounds; ++i) {
    toSleeper.Post();
    while (!toWatcher.WaitFor(100ms, (i % 3) * 20us)) {
    }
    ++answered;
  }
  sleeper.join();
  EXPECT_EQ(answered, kRounds);
  EXPECT_EQ(turns.load(), kRounds);
  EXPECT_FALSE(toWatcher.WaitFor(1ms));
}

}  // namespace
