// The service's hidden window: what other threads post runs on the main thread, in order, and a
// post that finds work already waiting rides on that work's wake instead of waking it again.
#include "pelsrv/server/hiddenwindow.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <memory>
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
  // posts while the batch runs: both wake the window for the next batch.
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
  EXPECT_EQ(window_.Wakes(), 2u);
}

}  // namespace
