// Events for a connection whose Connect call has not returned: held while it runs, handed on
// once, and dropped when a newer event of their kind overtook them or the call failed.
#include "hoopdesk/panels/earlyevents.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Case {
  const char* name;
  std::function<void(TEarlyEventHold&)> script;
  std::optional<std::uint8_t> state;  // what Take(7) gives
  std::optional<std::int32_t> syncMode;
};

TEST(EarlyEventHold, HandsOnWhatNothingNewerOvertook) {
  const Case cases[] = {
      {"nothing held", [](TEarlyEventHold&) {}, std::nullopt, std::nullopt},
      {"state and group",
       [](TEarlyEventHold& h) {
         h.HoldState(7, SEW_IDLE);
         h.HoldSync(7, {2, true});
       },
       SEW_IDLE, 2},
      {"the latest of each kind",
       [](TEarlyEventHold& h) {
         h.HoldState(7, SEW_OFFLINE);
         h.HoldState(7, SEW_IDLE);
         h.HoldSync(7, {1, true});
         h.HoldSync(7, {3, false});
       },
       SEW_IDLE, 3},
      {"a newer state handled",
       [](TEarlyEventHold& h) {
         h.HoldState(7, SEW_OFFLINE);
         h.HoldSync(7, {2, true});
         h.StateHandled(7);
       },
       std::nullopt, 2},
      {"a newer group handled",
       [](TEarlyEventHold& h) {
         h.HoldState(7, SEW_IDLE);
         h.HoldSync(7, {2, true});
         h.SyncHandled(7);
       },
       SEW_IDLE, std::nullopt},
      {"another cookie's", [](TEarlyEventHold& h) { h.HoldState(8, SEW_IDLE); }, std::nullopt,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TEarlyEventHold hold(16);
    hold.ConnectBegins();
    c.script(hold);
    EXPECT_FALSE(hold.Take(7).state) << "nothing is handed on while the call runs";
    hold.ConnectEnds(true);
    const TEarlyEvents events = hold.Take(7);
    EXPECT_EQ(events.state, c.state);
    EXPECT_EQ(events.sync ? std::optional(events.sync->mode) : std::nullopt, c.syncMode);
    EXPECT_FALSE(hold.Take(7).state || hold.Take(7).sync) << "handed on once";
  }
}

TEST(EarlyEventHold, HoldsNothingOutsideAConnectNorAfterAFailedOne) {
  TEarlyEventHold hold(16);
  hold.HoldState(7, SEW_IDLE);
  EXPECT_FALSE(hold.Take(7).state);

  hold.ConnectBegins();
  hold.HoldState(7, SEW_IDLE);
  hold.ConnectEnds(false);
  EXPECT_FALSE(hold.Take(7).state) << "the failed call made no connection of that cookie";
}

TEST(EarlyEventHold, HoldsAtMostItsLimitOfConnections) {
  TEarlyEventHold hold(2);
  hold.ConnectBegins();
  for (TCookie c = 1; c <= 5; ++c) hold.HoldState(c, SEW_IDLE);
  hold.ConnectEnds(true);
  EXPECT_TRUE(hold.Take(2).state);
  hold.ConnectBegins();
  for (TCookie c = 1; c <= 5; ++c) hold.HoldState(c, SEW_IDLE);
  hold.ConnectEnds(true);
  EXPECT_FALSE(hold.Take(5).state);
}

}  // namespace
