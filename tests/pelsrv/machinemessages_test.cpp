#include "pelsrvapi/machinemessages.h"

#include <gtest/gtest.h>

TEST(MachineMessages, KnownIdsAndAlarmsBeyondTheTable) {
  struct Case {
    std::int32_t id;
    const char* text;
  };
  const Case cases[] = {
      {265, "Memory full"},
      {266, "Request was rejected by sewing machine"},
      {268, "No response from sewing machine"},
      {273, "Connection has been disconnected"},
      {278, "No Response"},
      {284, "Thread break"},
      {294, "Lower thread run out"},
      {295, ""},  // alarm code 17: stored and reported, but without a text
      {0, ""},
      {-1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MachineMessageText(c.id), c.text) << c.id;
  }
}
