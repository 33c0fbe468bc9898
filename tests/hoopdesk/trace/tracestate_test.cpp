// What a trace frame does with a state report: the error it shows, whether it may be shown, and
// what one report draws and asks for.
#include "hoopdesk/trace/tracestate.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceReport, AFrameWithoutItsDesignReportsItMissingAndStaysHidden) {
  const struct {
    bool designShown;
    std::int32_t error, shown;
  } cases[] = {{true, 0, 0}, {true, 282, 282}, {false, 0, 267}, {false, 282, 282}};
  for (const auto& c : cases)
    EXPECT_EQ(TraceReportedError(c.designShown, c.error), c.shown)
        << c.designShown << " " << c.error;

  EXPECT_TRUE(TraceFrameShown(true, 0));
  EXPECT_TRUE(TraceFrameShown(true, 282));  // a machine's alarm leaves it in view
  EXPECT_FALSE(TraceFrameShown(true, 267));
  EXPECT_FALSE(TraceFrameShown(false, 0));
}

TEST(TraceStep, WhatOneReportDrawsAndWhenTheSendButtonsFollow) {
  const struct {
    const char* what;
    bool shown, listed;
    std::int32_t first, position;
    std::uint8_t state;
    TTraceStep want;  // restart, trace on, send buttons
  } cases[] = {
      {"sewing on", true, true, 100, 250, 0x11, {false, true, false}},
      {"the first report draws anew", true, true, 0, 40, 0x11, {true, true, false}},
      {"a position before the first", true, true, -1, 40, 0x11, {true, true, false}},
      {"back at the start: a new run", true, true, 100, 0, 0x12, {false, true, true}},
      {"at the start from the start", true, true, 0, 0, 0x12, {true, true, false}},
      {"completed", true, true, 100, 900, 0x13, {false, true, true}},
      {"completed on the first report", true, true, 0, 900, 0x13, {true, true, true}},
      {"a machine error", true, true, 100, 120, 0x1E, {false, true, false}},
      {"no position", true, true, 100, -1, 0x13, {false, false, false}},
      {"the machine is gone", true, false, 100, 0, 0x13, {false, false, false}},
      {"a hidden frame draws and asks nothing", false, true, 100, 0, 0x13, {false, false, false}},
  };
  for (const auto& c : cases) {
    const TTraceStep step = TraceStep(c.shown, c.listed, c.first, c.position, c.state);
    EXPECT_EQ(step.restart, c.want.restart) << c.what;
    EXPECT_EQ(step.traceOn, c.want.traceOn) << c.what;
    EXPECT_EQ(step.sendButtons, c.want.sendButtons) << c.what;
  }
}

}  // namespace
