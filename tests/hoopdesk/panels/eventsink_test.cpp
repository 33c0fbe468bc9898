// The event sink against a fake server: each event's effect on the machine record, its queue,
// its alarm and its panel.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>

#include "designmaker.h"
#include "panelfixture.h"
#include "shared/frmmarlow.h"

namespace {

class EventSinkTest : public PanelWorld {
 protected:
  IPelSrvEvents& Sink() { return *fake_.sinks.at(0); }
  TStitchItem Design(int stitches) {
    return designmaker::MakeDesign(0, stitches, 400, "petals", 2);
  }
  // Queues `count` designs on machine d and marks a transfer running.
  void QueueAndSend(TDevNo d, int count) {
    for (int k = 0; k < count; ++k) panels_.QueueDesign(d, -1, Design(40 + k));
    panels_.SetBusy(d, true);
    fake_.log.clear();
  }
};

TEST_F(EventSinkTest, SendStopLeavesTheQueueOnlyAfterANormalEnd) {
  struct Case {
    std::int32_t state;
    int queued;
    std::int32_t alarmMode;
    int clearErrors;
  };
  const Case cases[] = {
      {RES_STATE_NORMAL, 1, 0, 0},
      {RES_STATE_ERROR, 2, 1, 0},
      {RES_STATE_BUSY, 2, 2, 0},
      {RES_STATE_CANCELED, 2, 0, 1},
  };
  for (const Case& c : cases) {
    panels_.RemoveAllMachines();
    ConnectIdle(1);
    QueueAndSend(0, 2);
    const TStitchItem second = *panels_.GetMachine(0)->queue.GetItem(1);
    panels_.SetProgress(0, 40);
    Sink().OnSendStop(panels_.GetMachine(0)->cookie, c.state);
    const TMachineRecord& m = *panels_.GetMachine(0);
    EXPECT_EQ(m.queue.GetCount(), c.queued) << c.state;
    EXPECT_EQ(m.alarmMode, c.alarmMode) << c.state;
    EXPECT_EQ(Logged("ClearError"), c.clearErrors) << c.state;
    EXPECT_FALSE(m.busy);
    EXPECT_TRUE(m.enabled);
    if (c.state == RES_STATE_NORMAL) {
      EXPECT_TRUE(m.queue.GetItem(0)->IsSame(&second));
    }
    EXPECT_EQ(m.progress, c.state == RES_STATE_NORMAL || c.state == RES_STATE_CANCELED ? 0 : 40);
  }
}

TEST_F(EventSinkTest, ProgressShowsPercentAndDrivesTheAlarm) {
  ConnectIdle(1);
  const TCookie cookie = panels_.GetMachine(0)->cookie;
  Sink().OnProgress(cookie, 4, 30'000'000, 40'000'000, 0, 60, 2);
  EXPECT_EQ(panels_.GetMachine(0)->progress, 75);
  Sink().OnProgress(cookie, 4, 500, 500, 0, 60, 2);
  EXPECT_EQ(panels_.GetMachine(0)->progress, 0);
  Sink().OnProgress(cookie, 7, 10, 100, 210, 0, 2);
  EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 1);
  EXPECT_EQ(Logged("ClearError"), 0);
  Sink().OnProgress(cookie, 4, 20, 100, 0, 60, 2);
  EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 0);
  EXPECT_EQ(Logged("ClearError"), 1);
  ASSERT_FALSE(host_.traceProgress.empty());
  EXPECT_EQ(host_.traceProgress.back(), (std::vector<int>{0, 4, 0}));
}

TEST_F(EventSinkTest, BusyEndStartsASelfClearingAlarmAndTheDesignStaysAtTheHead) {
  ConnectIdle(1);
  QueueAndSend(0, 1);
  const TCookie cookie = panels_.GetMachine(0)->cookie;
  Sink().OnSendStop(cookie, RES_STATE_BUSY);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 1);
  for (int t = 0; t < 12; ++t) panels_.PollMachines(t);
  EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 0);
  EXPECT_EQ(Logged("ClearError"), 1);
}

TEST_F(EventSinkTest, FileNameAckAnswersTheStitchTotalOfAPlainName) {
  ConnectIdle(1);
  const TCookie cookie = panels_.GetMachine(0)->cookie;
  std::filesystem::create_directories(sendFolder_);
  TStitchItem design = Design(60);
  ASSERT_TRUE(TStitchFormatMarlow::Save((sendFolder_ / "2612a001.10o").string(), design, nullptr));
  std::filesystem::create_directories(sendFolder_.parent_path() / "x");
  ASSERT_TRUE(
      TStitchFormatMarlow::Save((sendFolder_.parent_path() / "x.10o").string(), design, nullptr));

  std::int32_t total = 0;
  Sink().OnFilenameAck(cookie, "2612a001.10o", 900, total);
  EXPECT_GT(total, 0);
  EXPECT_EQ(panels_.GetMachine(0)->sewingFile, "2612a001.10o");
  EXPECT_EQ(host_.traceDesigns.back(), "0 2612a001.10o");

  std::int32_t climbing = 7;
  Sink().OnFilenameAck(cookie, "../x.10o", 900, climbing);
  EXPECT_EQ(climbing, 7);
  EXPECT_EQ(panels_.GetMachine(0)->sewingFile, "2612a001.10o");

  std::int32_t unknown = 5;
  Sink().OnFilenameAck(999, "2612a001.10o", 900, unknown);
  EXPECT_EQ(unknown, 5);
}

TEST_F(EventSinkTest, SyncGroupHidesOnlyWhileAMemberIsListed) {
  QSlider trackBar;
  QLabel spLbl, trackLbl;
  panels_.SetSendTabControls(nullptr, nullptr, nullptr, &spLbl, &trackLbl, &trackBar, 500);
  ConnectIdle(3);
  const auto cookie = [this](int d) { return panels_.GetMachine(d)->cookie; };

  // A set-up that names a machine outside the group while no member is listed hides nothing.
  Sink().OnSyncSetup(1, cookie(0), 0);
  for (int d = 0; d < 3; ++d) EXPECT_TRUE(panels_.IsShown(d)) << d;
  EXPECT_EQ(panels_.GetSyncMode(), 1);

  Sink().OnSyncSetup(1, cookie(1), 1);
  EXPECT_FALSE(panels_.IsShown(0));
  EXPECT_TRUE(panels_.IsShown(1));
  EXPECT_FALSE(panels_.IsShown(2));
  EXPECT_FALSE(panels_.IsEnabled(2));
  EXPECT_FALSE(trackBar.isHidden());
  EXPECT_EQ(panels_.GetMachine(1)->sewImage, kSewImageSyncGroup);

  // The last member going offline brings every panel back and hides the speed controls.
  fake_.FireStatus(cookie(1), SEW_OFFLINE);
  for (int d = 0; d < 3; ++d) EXPECT_TRUE(panels_.IsShown(d)) << d;
  EXPECT_TRUE(panels_.IsEnabled(0));
  EXPECT_FALSE(panels_.IsEnabled(1));
  EXPECT_TRUE(trackBar.isHidden());
  EXPECT_EQ(panels_.GetSyncMode(), 0);
}

TEST_F(EventSinkTest, OfflineDropsTheQueueAndShowsTheDisconnectionInTheTrace) {
  ConnectIdle(1);
  QueueAndSend(0, 2);
  fake_.FireStatus(panels_.GetMachine(0)->cookie, SEW_OFFLINE);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 0);
  EXPECT_FALSE(panels_.IsMachineBusy(0));
  ASSERT_FALSE(host_.traceProgress.empty());
  EXPECT_EQ(host_.traceProgress.back(), (std::vector<int>{0, 0x12, 273}));
  EXPECT_EQ(host_.traceDesigns.back(), "0 ");
}

// Only the states 2 to 6 are online; 0 and 1, and codes past the known ones, take the machine
// offline with its queue.
TEST_F(EventSinkTest, OnlyStatesTwoToSixAreOnline) {
  struct Case {
    std::uint8_t state;
    bool online;
  };
  const Case cases[] = {{0, false}, {1, false}, {2, true},  {3, true},   {4, true},
                        {5, true},  {6, true},  {9, false}, {10, false}, {255, false}};
  for (const Case& c : cases) {
    panels_.RemoveAllMachines();
    ConnectIdle(1);
    QueueAndSend(0, 1);
    for (IPelSrvEvents* sink : fake_.sinks)
      sink->OnStatusChange(panels_.GetMachine(0)->cookie, c.state);
    const TMachineRecord& m = *panels_.GetMachine(0);
    EXPECT_EQ(m.online != 0, c.online) << int(c.state);
    EXPECT_EQ(m.queue.GetCount(), c.online ? 1 : 0) << int(c.state);
    EXPECT_EQ(m.sewImage, c.online ? kSewImageOnline : kSewImageOffline) << int(c.state);
  }
}

// The offline event shows the disconnection in the frame a machine has, and makes none for a
// machine without one.
TEST_F(EventSinkTest, OfflineMakesNoTraceFrameForAMachineWithoutOne) {
  host_.framesLeft = 1;
  ConnectIdle(2);
  ASSERT_TRUE(host_.framed.contains(0));
  ASSERT_FALSE(host_.framed.contains(1));
  host_.traceFrames.clear();
  host_.traceDesigns.clear();
  fake_.FireStatus(panels_.GetMachine(1)->cookie, SEW_OFFLINE);
  EXPECT_TRUE(host_.traceFrames.empty());
  EXPECT_TRUE(host_.traceDesigns.empty());
  EXPECT_FALSE(host_.framed.contains(1));
  fake_.FireStatus(panels_.GetMachine(0)->cookie, SEW_OFFLINE);
  EXPECT_EQ(host_.traceDesigns, (std::vector<std::string>{"0 "}));
  EXPECT_EQ(host_.countersCleared, (std::vector<int>{1, 0}));
}

// Each acknowledgement reads the design once and asks the model once, with a trace frame or
// without one (all taken), and answers the same total either way.
TEST_F(EventSinkTest, FileNameAckReadsTheDesignOnce) {
  host_.framesLeft = 1;
  ConnectIdle(2);
  std::filesystem::create_directories(sendFolder_);
  TStitchItem design = Design(70);
  ASSERT_TRUE(TStitchFormatMarlow::Save((sendFolder_ / "2612a001.10o").string(), design, nullptr));
  std::vector<std::int32_t> totals;
  for (TDevNo d : {0, 1}) {
    fake_.log.clear();
    host_.traceDesigns.clear();
    std::int32_t total = 0;
    Sink().OnFilenameAck(panels_.GetMachine(d)->cookie, "2612a001.10o", 500, total);
    EXPECT_EQ(Logged("GetModel"), 1) << d;
    EXPECT_EQ(host_.traceDesigns.size(), d == 0 ? 1u : 0u) << d;
    totals.push_back(total);
  }
  EXPECT_GT(totals[0], 0);
  EXPECT_EQ(totals[1], totals[0]);
}

TEST_F(EventSinkTest, CompleteFinishesTheTraceAndResetsTheProgress) {
  ConnectIdle(2);
  panels_.SetProgress(0, 60);
  panels_.SetProgress(1, 30);
  Sink().OnComplete(panels_.GetMachine(0)->cookie, 1, 0x103);  // the needle as a byte
  Sink().OnComplete(panels_.GetMachine(1)->cookie, 0, 4);
  Sink().OnComplete(999, 1, 2);  // no such machine
  EXPECT_EQ(host_.completions, (std::vector<std::vector<int>>{{0, 1, 3}, {1, 0, 4}}));
  EXPECT_EQ(panels_.GetMachine(0)->progress, 0);
  EXPECT_EQ(panels_.GetMachine(1)->progress, 0);
}

TEST_F(EventSinkTest, SendStartSendsTheHeadOfTheQueue) {
  ConnectIdle(1);
  QueueAndSend(0, 1);
  Sink().OnSendStart(panels_.GetMachine(0)->cookie);
  EXPECT_EQ(Logged("SendStartStream 1"), 1);
  panels_.ClearQueue(0);
  Sink().OnSendStart(panels_.GetMachine(0)->cookie);
  EXPECT_EQ(Logged("SendStartStream"), 1);
}

}  // namespace
