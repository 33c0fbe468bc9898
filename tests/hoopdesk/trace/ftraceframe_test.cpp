// One trace frame: the sewn design loaded from the send folder, traced step by step, its
// counters and its status bar.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "hoopdesk/trace/tracestatusbar.h"
#include "pelsrvapi/machinemessages.h"
#include "tracepixels.h"
#include "traceworld.h"

namespace {

QString Edit(TFTraceFrame* frame, const char* name) {
  const auto* edit = frame->findChild<QLineEdit*>(name);
  return edit != nullptr ? edit->text() : QString("<no %1>").arg(name);
}

const TTraceStatusBar* StatusBar(TFTraceFrame* frame) {
  return static_cast<const TTraceStatusBar*>(frame->findChild<QWidget*>("StatusBar"));
}

class TraceFrameTest : public testing::Test {
 protected:
  void SetUp() override {
    world_.AddMachines(2);
    world_.WriteSentDesign("0000001.10o", 0, 900, "Rose");
    total_ = world_.StartSewing(0, "0000001.10o");
    frame_ = world_.Frame(0);
    ASSERT_NE(frame_, nullptr);
  }

  TraceWorld world_;
  std::int32_t total_ = 0;
  TFTraceFrame* frame_ = nullptr;
};

TEST_F(TraceFrameTest, LoadsTheSentDesignWithItsTotalAndHeader) {
  TStitchItem design;
  ASSERT_TRUE(design.Load((world_.SendFolder() / "0000001.10o").string(),
                          world_.panels.GetMachine(0)->palette));
  EXPECT_EQ(total_, design.GetStitchSize(0x10));
  EXPECT_GT(total_, 800);
  EXPECT_FALSE(frame_->isHidden());
  EXPECT_EQ(frame_->findChild<QLabel*>("HeaderLbl")->text(), "machine-1: 0000001[Rose]");
  EXPECT_EQ(StatusBar(frame_)->PanelText(0), "Start");
  EXPECT_EQ(StatusBar(frame_)->PanelText(1), "");
  EXPECT_EQ(SewnTotal(world_, 1, "0000001.10o"), total_);
}

TEST_F(TraceFrameTest, ProgressShowsTheCountersAndRunState) {
  world_.trace->SetTraceProgress(0, 0x11, 250, 0, 60, 3, 1000);
  EXPECT_EQ(Edit(frame_, "StitchEdt"), "250/1000 (25%)");
  EXPECT_EQ(Edit(frame_, "SpeedEdt"), " 600");
  EXPECT_EQ(Edit(frame_, "NeedleEdt"), "3");
  EXPECT_EQ(Edit(frame_, "MinEdt"), "1");
  EXPECT_EQ(Edit(frame_, "SecEdt"), "15");
  EXPECT_EQ(StatusBar(frame_)->PanelText(0), "Running");
  world_.trace->SetTraceProgress(0, 0x12, 5, 0, 0, 3, 0);  // no total: the last one stays
  EXPECT_EQ(StatusBar(frame_)->PanelText(0), "Stopped");
  EXPECT_EQ(Edit(frame_, "StitchEdt"), "5/1000 (0%)");
  EXPECT_EQ(Edit(frame_, "SecEdt"), "00");
  world_.trace->SetTraceMemory(0, 1234);
  EXPECT_EQ(Edit(frame_, "MemEdt"), "  1234");
}

TEST_F(TraceFrameTest, TheTraceAdvancesStepByStep) {
  const int atStart = ColouredPixels(frame_);
  int last = atStart;
  for (const int p : {total_ / 4, total_ / 2, total_ - 1}) {
    world_.trace->SetTraceProgress(0, 0x11, p, 0, 60, 1, total_);
    EXPECT_EQ(frame_->Trace().CurStitch, p);
    const int now = ColouredPixels(frame_);
    EXPECT_GT(now, last) << "at stitch " << p;
    last = now;
  }
  // Redrawn whole (a resize, the menu), the picture is the same trace.
  frame_->Redraw();
  EXPECT_NEAR(ColouredPixels(frame_), last, last / 50);
}

TEST_F(TraceFrameTest, AMachineErrorTurnsTheStatusBarRedWithItsText) {
  world_.trace->SetTraceProgress(0, 0x11, 100, 0, 60, 1, total_);
  world_.trace->SetTraceProgress(0, 0x1E, 100, kMsgAlarmBase + 4, 0, 1, total_);
  const TTraceStatusBar* bar = StatusBar(frame_);
  EXPECT_EQ(bar->PanelText(0), "Error");
  EXPECT_EQ(bar->PanelText(1).toStdString(), MachineMessageText(kMsgAlarmBase + 4));
  EXPECT_FALSE(bar->PanelText(1).isEmpty());
  EXPECT_TRUE(bar->IsAlarm());
  const QImage red = const_cast<TTraceStatusBar*>(bar)->grab().toImage();
  EXPECT_EQ(red.pixelColor(bar->PanelRect(0).center()), QColor(255, 0, 0));
  EXPECT_EQ(red.pixelColor(bar->PanelRect(1).topRight() + QPoint(-3, 3)), QColor(255, 0, 0));

  // Sewing again: the red goes and the error text with it.
  world_.trace->SetTraceProgress(0, 0x11, 101, 0, 60, 1, total_);
  EXPECT_FALSE(bar->IsAlarm());
  EXPECT_EQ(bar->PanelText(0), "Running");
  EXPECT_EQ(bar->PanelText(1), "");
}

TEST_F(TraceFrameTest, AClearedErrorIsShownAgainWhenItReturns) {
  world_.trace->SetTraceProgress(0, 0x1E, 10, kMsgAlarmBase + 2, 0, 1, total_);
  world_.trace->ClearTraceStatus(0);
  EXPECT_EQ(StatusBar(frame_)->PanelText(1), "");
  world_.trace->SetTraceProgress(0, 0x1E, 10, kMsgAlarmBase + 2, 0, 1, total_);
  EXPECT_EQ(StatusBar(frame_)->PanelText(1).toStdString(), MachineMessageText(kMsgAlarmBase + 2));
}

TEST_F(TraceFrameTest, CompletionShowsTheWholeDesignAndAskForTheSendButtons) {
  world_.trace->SetTraceProgress(0, 0x11, total_ / 2, 0, 60, 2, total_);
  const int half = ColouredPixels(frame_);
  world_.fake.log.clear();
  world_.trace->SetTraceProgress(0, 0x13, total_, 0, 0, 2, total_);
  EXPECT_EQ(StatusBar(frame_)->PanelText(0), "Completed");
  EXPECT_TRUE(world_.fake.Logged("GetState 1"));  // the send buttons follow the machine
  world_.trace->CompleteTrace(0, true, 4);
  EXPECT_GT(ColouredPixels(frame_), half);
  EXPECT_EQ(Edit(frame_, "StitchEdt"), QString("%1/%1 (100%)").arg(total_));
  EXPECT_EQ(Edit(frame_, "SpeedEdt"), "   0");
  EXPECT_EQ(Edit(frame_, "NeedleEdt"), "4");
  // An end that was not normal greys the whole design.
  world_.trace->CompleteTrace(0, false, 4);
  EXPECT_LT(ColouredPixels(frame_), half / 10);
}

TEST_F(TraceFrameTest, AMissingDesignIsReportedAndItsFrameHidden) {
  EXPECT_EQ(world_.trace->LoadTraceDesign(0, "0000099.10o"), 0);
  world_.trace->ShowTraceFrame(0, true);
  world_.trace->SetTraceProgress(0, 0x12, 0, 0, 0, 0, 0);
  EXPECT_EQ(frame_->Trace().Error, 267);
  EXPECT_EQ(StatusBar(frame_)->PanelText(1), "Sewing data is not found in recent files");
  world_.trace->ShowTraceFrame(0, true);
  EXPECT_TRUE(frame_->isHidden());
  EXPECT_EQ(frame_->Trace().ShowDesign, 0);
}

TEST_F(TraceFrameTest, ANameThatLeavesTheSendFolderIsNotRead) {
  world_.WriteSentDesign("0000002.10o", 1, 300, "Heart");
  std::filesystem::rename(world_.SendFolder() / "0000002.10o", world_.Home() / "outside.10o");
  std::filesystem::rename(world_.SendFolder() / "0000002.00o", world_.Home() / "outside.00o");
  for (const char* name : {"../outside.10o", "..", ".", "", "/etc/passwd"}) {
    EXPECT_EQ(world_.trace->LoadTraceDesign(0, name), 0) << name;
    EXPECT_EQ(frame_->Trace().ShowDesign, 0) << name;
    EXPECT_TRUE(frame_->Design().Points.empty()) << name;
    EXPECT_EQ(SewnTotal(world_, 1, name), 0) << name;
  }
}

TEST_F(TraceFrameTest, AHiddenFrameKeepsItsCountersUntilShown) {
  world_.trace->SetTraceProgress(0, 0x11, 20, 0, 60, 1, total_);
  world_.trace->ShowTraceFrame(0, false);
  EXPECT_TRUE(frame_->isHidden());
  EXPECT_TRUE(frame_->Design().Points.empty());
  const QString before = Edit(frame_, "StitchEdt");
  world_.trace->SetTraceProgress(0, 0x11, 40, 0, 60, 1, total_);
  EXPECT_EQ(Edit(frame_, "StitchEdt"), before);
  EXPECT_EQ(StatusBar(frame_)->PanelText(0), "Running");
}

// Server events arrive during the trace window's own calls to the server: here the machine list
// is emptied while the window asks for a machine's progress.
TEST(TraceFrameEvents, TheMachineListEmptiedDuringAProgressQuery) {
  TraceWorld world;
  world.AddMachines(7);
  world.WriteSentDesign("0000001.10o", 0, 500, "Rose");
  world.panels.GetMachine(6)->sewingFile = "0000001.10o";
  bool emptied = false;
  world.fake.during = [&](const std::string& call) {
    if (emptied || call.rfind("GetProgress", 0) != 0) return;
    emptied = true;
    world.panels.RemoveAllMachines();
  };
  world.trace->UpdateTraceFrames(1, 6);
  TraceWorld::Settle();
  EXPECT_TRUE(emptied);
  ASSERT_NE(world.Frame(6), nullptr);
  world.trace->SetTraceProgress(6, 0x13, 10, 0, 0, 1, 0);
  world.trace->CompleteTrace(6, true, 1);
  world.fake.during = nullptr;
}

}  // namespace
