#include <gtest/gtest.h>

#include <vector>

#include "pelsrv/protocol/transferwatch.h"

namespace {

using namespace std::chrono_literals;

TEST(TransferWatch, ExpiresOnlyAfterTheLimitWithoutARequest) {
  struct Step {
    enum Kind { kHeard, kStop } kind;
    std::chrono::milliseconds at;
  };
  struct Case {
    const char* what;
    std::chrono::milliseconds limit;
    std::vector<Step> steps;
    std::chrono::milliseconds checkedAt;
    bool expired;
  };
  const Case cases[] = {
      {"no transfer never expires", 30s, {}, 3600s, false},
      {"just before the limit", 30s, {{Step::kHeard, 0s}}, 29999ms, false},
      {"at the limit", 30s, {{Step::kHeard, 0s}}, 30s, true},
      {"a request starts the wait again",
       30s,
       {{Step::kHeard, 0s}, {Step::kHeard, 25s}},
       54s,
       false},
      {"the limit after the last request",
       30s,
       {{Step::kHeard, 0s}, {Step::kHeard, 25s}},
       55s,
       true},
      {"an ended transfer does not expire",
       30s,
       {{Step::kHeard, 0s}, {Step::kStop, 5s}},
       60s,
       false},
      {"a new transfer after an ended one",
       30s,
       {{Step::kHeard, 0s}, {Step::kStop, 5s}, {Step::kHeard, 40s}},
       70s,
       true},
      {"a time before the last request", 30s, {{Step::kHeard, 100s}}, 10s, false},
      {"a shortened limit", 200ms, {{Step::kHeard, 0s}}, 200ms, true},
      {"a limit of 0 counts as 1 ms", 0ms, {{Step::kHeard, 0s}}, 0ms, false},
      {"a limit of 0 expires after 1 ms", 0ms, {{Step::kHeard, 0s}}, 1ms, true},
  };
  const TTransferWatch::Clock::time_point origin = TTransferWatch::Clock::now();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTransferWatch watch(c.limit);
    for (const Step& step : c.steps) {
      if (step.kind == Step::kHeard)
        watch.Heard(origin + step.at);
      else
        watch.Stop();
    }
    EXPECT_EQ(watch.Expired(origin + c.checkedAt), c.expired);
  }
}

}  // namespace
