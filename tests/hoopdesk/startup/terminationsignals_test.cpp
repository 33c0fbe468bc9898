// SIGTERM, SIGHUP and SIGINT reach the event loop as a request to close, instead of ending the
// program where it stands.
#include <signal.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <vector>

#include "hoopdesk/startup/terminationsignals.h"

namespace {

class TerminationSignal : public testing::TestWithParam<int> {};

TEST_P(TerminationSignal, BecomesARequestToClose) {
  TTerminationSignals watcher;
  ASSERT_TRUE(watcher.IsWatching());
  std::vector<int> requests;
  QObject::connect(&watcher, &TTerminationSignals::terminationRequested,
                   [&](int signal) { requests.push_back(signal); });
  ASSERT_EQ(::raise(GetParam()), 0);
  EXPECT_TRUE(requests.empty()) << "given from the event loop, not from the handler";
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (requests.empty() && std::chrono::steady_clock::now() < end)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(requests, std::vector<int>{GetParam()});
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

std::vector<int> gEarlier;
extern "C" void Earlier(int signal) { gEarlier.push_back(signal); }

TEST(TerminationSignals, OneWatcherAtATimeAndTheEarlierHandlersComeBack) {
  struct sigaction earlier {};
  earlier.sa_handler = Earlier;
  sigemptyset(&earlier.sa_mask);
  for (int signal : TTerminationSignals::kSignals)
    ASSERT_EQ(::sigaction(signal, &earlier, nullptr), 0);
  {
    TTerminationSignals first;
    TTerminationSignals second;
    EXPECT_TRUE(first.IsWatching());
    EXPECT_FALSE(second.IsWatching());
  }
  for (int signal : TTerminationSignals::kSignals) ::raise(signal);
  EXPECT_EQ(gEarlier, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int signal : TTerminationSignals::kSignals) ::sigaction(signal, &standard, nullptr);
}

}  // namespace
