// The machine server's events as the trace window shows them: the file-name acknowledgement
// reads the sewn design once, and a machine that went offline shows the disconnection with
// empty counters in its frame, and gets no frame when it has none.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "hoopdesk/screenshot.h"
#include "hoopdesk/trace/tracestatusbar.h"
#include "pelsrvapi/messageids.h"
#include "traceworld.h"

namespace {

class TraceEventsTest : public testing::Test {
 protected:
  void SetUp() override {
    world_.AddMachines(7);  // six frames: machine 6 has none
    world_.WriteSentDesign("0000001.10o", 0, 700, "Rose");
    ASSERT_EQ(world_.Frame(6), nullptr);
  }
  IPelSrvEvents& Sink() { return *world_.fake.sinks.at(0); }
  TCookie Cookie(int d) { return world_.panels.GetMachine(d)->cookie; }
  int Logged(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : world_.fake.log) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  static QString Edit(TFTraceFrame* frame, const char* name) {
    return frame->findChild<QLineEdit*>(name)->text();
  }

  TraceWorld world_;
};

TEST_F(TraceEventsTest, AFileNameAckReadsTheDesignOnceWithOrWithoutAFrame) {
  const std::int32_t expected = SewnTotal(world_, 0, "0000001.10o");
  ASSERT_GT(expected, 600);
  for (int d : {0, 6}) {
    world_.fake.log.clear();
    std::int32_t total = 0;
    Sink().OnFilenameAck(Cookie(d), "0000001.10o", 900, total);
    EXPECT_EQ(Logged("GetModel"), 1) << d;
    EXPECT_EQ(total, expected) << d;
    EXPECT_EQ(world_.panels.GetSewingFile(d), "0000001.10o") << d;
  }
  ASSERT_NE(world_.Frame(0), nullptr);
  EXPECT_FALSE(world_.Frame(0)->isHidden());
  EXPECT_EQ(world_.Frame(0)->Trace().Total, expected);
  EXPECT_EQ(Edit(world_.Frame(0), "MemEdt"), "   900");
  EXPECT_EQ(world_.Frame(6), nullptr);
}

TEST_F(TraceEventsTest, OfflineEmptiesTheCountersAndMakesNoFrameForAMachineWithoutOne) {
  world_.StartSewing(0, "0000001.10o");
  TFTraceFrame* frame = world_.Frame(0);
  // What a machine sending random bytes left behind before the server dropped it.
  world_.trace->SetTraceProgress(0, 0x11, 250, 0, 60, 81, 1000);
  world_.trace->SetTraceMemory(0, 20885);
  ASSERT_EQ(Edit(frame, "NeedleEdt"), "81");
  ASSERT_EQ(Edit(frame, "MemEdt"), " 20885");

  world_.fake.FireStatus(Cookie(6), SEW_OFFLINE);
  EXPECT_EQ(world_.Frame(6), nullptr);
  world_.fake.FireStatus(Cookie(0), SEW_OFFLINE);
  ASSERT_EQ(world_.Frame(0), frame);
  for (const char* name : {"StitchEdt", "SpeedEdt", "NeedleEdt", "MinEdt", "SecEdt", "MemEdt"})
    EXPECT_EQ(Edit(frame, name), "") << name;
  EXPECT_EQ(frame->Trace().Remain, 0);
  EXPECT_EQ(frame->Trace().Error, kMsgDisconnected);
  const auto* status = static_cast<const TTraceStatusBar*>(frame->findChild<QWidget*>("StatusBar"));
  EXPECT_EQ(status->PanelText(1).toStdString(), platform::MessageText(kMsgDisconnected));
  EXPECT_FALSE(SaveScreenshot(*world_.trace, "trace_machine_offline").isEmpty());
}

}  // namespace
