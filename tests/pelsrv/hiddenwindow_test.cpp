// The service's hidden window: what other threads post runs on the main thread, in order; a
// post that finds work already waiting, or the main thread at work, rides on that wake instead
// of waking it again; a peer that answers at once is waited for briefly, and a turn that never
// runs out of work still lets Qt's own events through.
#include "pelsrv/server/hiddenwindow.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kReply = 0x0402;  // any message of the connections

class HiddenWindowTest : public ::testing::Test {
 protected:
  HiddenWindowTest() {
    window_.SetHandler([this](const platform::Message& m) { handled_.push_back(m.wParam); });
  }

  // Runs the main thread's loop until `count` messages were handled (or a time-out passed).
  void RunUntil(std::size_t count) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (handled_.size() < count && std::chrono::steady_clock::now() < end) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }

  // Posts messages numbered first..first+count-1 from a thread of its own.
  void PostFromAnotherThread(std::uintptr_t first, std::uintptr_t count) {
    std::thread poster([&] {
      for (std::uintptr_t i = first; i < first + count; ++i)
        platform::Post(window_.Id(), kReply, i, 0);
    });
    poster.join();
  }

  static std::vector<std::uintptr_t> Numbers(std::uintptr_t first, std::uintptr_t count) {
    std::vector<std::uintptr_t> n;
    for (std::uintptr_t i = first; i < first + count; ++i) n.push_back(i);
    return n;
  }

  int argc_ = 1;
  char name_[16] = "hiddenwindow";
  char* argv_[2] = {name_, nullptr};
  QCoreApplication app_{argc_, argv_};
  HiddenWindow window_;
  std::vector<std::uintptr_t> handled_;
};

TEST_F(HiddenWindowTest, PostsWhileTheMainThreadIsBusyShareOneWakeAndRunInOrder) {
  PostFromAnotherThread(0, 1000);
  EXPECT_EQ(window_.Wakes(), 1u) << "only the post that found the queue empty wakes the window";
  RunUntil(1000);
  EXPECT_EQ(handled_, Numbers(0, 1000));

  // Once the queue has run, the next post wakes the window again.
  PostFromAnotherThread(1000, 3);
  EXPECT_EQ(window_.Wakes(), 2u);
  RunUntil(1003);
  EXPECT_EQ(handled_, Numbers(0, 1003));
}

TEST_F(HiddenWindowTest, WorkQueuedWhileABatchRunsIsNotLost) {
  // A handler that posts again (as a reply handler that queues a call does) and a thread that
  // posts while the batch runs: both are taken in the same turn without a wake of their own (a
  // turn that the thread's start made run out of time leaves them one wake for the next).
  window_.SetHandler([this](const platform::Message& m) {
    handled_.push_back(m.wParam);
    if (m.wParam == 0) {
      platform::Post(window_.Id(), kReply, 1, 0);
      std::thread([this] { platform::Post(window_.Id(), kReply, 2, 0); }).join();
    }
  });
  platform::Post(window_.Id(), kReply, 0, 0);
  RunUntil(3);
  EXPECT_EQ(handled_, Numbers(0, 3));
  EXPECT_LE(window_.Wakes(), 2u);
}

TEST_F(HiddenWindowTest, APeerThatAnswersAtOnceIsHeardWithoutTheDescriptor) {
  // A machine pulling blocks: each message handled makes the peer post the next one, from its
  // own thread, as a reply to the frame the main thread has just sent.
  constexpr std::uintptr_t kRounds = 300;
  std::mutex mutex;
  std::condition_variable asked;
  std::uintptr_t wanted = 0;
  bool done = false;
  std::thread peer([&] {
    for (std::uintptr_t next = 0; next < kRounds; ++next) {
      std::unique_lock lock(mutex);
      asked.wait(lock, [&] { return wanted >= next || done; });
      if (done) return;
      lock.unlock();
      platform::Post(window_.Id(), kReply, next, 0);
    }
  });
  window_.SetHandler([&](const platform::Message& m) {
    handled_.push_back(m.wParam);
    std::lock_guard lock(mutex);
    wanted = m.wParam + 1;
    asked.notify_one();
  });
  RunUntil(kRounds);
  {
    std::lock_guard lock(mutex);
    done = true;
    asked.notify_one();
  }
  peer.join();
  EXPECT_EQ(handled_, Numbers(0, kRounds));
  EXPECT_LT(window_.Wakes(), kRounds) << "answers that came at once were waited for";
}

TEST_F(HiddenWindowTest, WorkThatNeverRunsOutStillLetsQtsEventsThrough) {
  // A handler that posts itself again at once keeps the queue from ever running dry.
  bool stop = false;
  window_.SetHandler([&](const platform::Message& m) {
    handled_.push_back(m.wParam);
    if (!stop) platform::Post(window_.Id(), kReply, m.wParam + 1, 0);
  });
  bool timerFired = false;
  QTimer::singleShot(0, [&] { timerFired = true; });
  platform::Post(window_.Id(), kReply, 0, 0);
  const auto end = std::chrono::steady_clock::now() + 5s;
  while (!timerFired && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_TRUE(timerFired);
  EXPECT_GT(handled_.size(), 1u);
  stop = true;
  RunUntil(handled_.size() + 1);
  EXPECT_EQ(handled_, Numbers(0, handled_.size()));
}

}  // namespace
