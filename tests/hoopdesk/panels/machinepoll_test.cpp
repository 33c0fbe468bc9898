// The poll, the alarms and the sew button against a fake server.
#include <gtest/gtest.h>

#include "panelfixture.h"

namespace {

class MachinePollTest : public PanelWorld {
 protected:
  // One serial machine (device 0) and one networked machine (device 1), both idle.
  void SerialAndNetworked() {
    Connect();
    TConnInfo serial{};
    serial.baudRate = 19200;
    TConnInfo network{};
    network.tcpip = 1;
    network.b1 = 192;
    network.b4 = 7;
    ASSERT_TRUE(panels_.AddMachine(0, serial, ""));
    ASSERT_TRUE(panels_.AddMachine(1, network, "net"));
    fake_.FireStatus(1, SEW_IDLE);
    fake_.FireStatus(2, SEW_IDLE);
    fake_.log.clear();
  }
};

TEST_F(MachinePollTest, SerialMachinesAlwaysNetworkedOnlyInAnErrorAlarm) {
  SerialAndNetworked();
  panels_.PollMachines(4);
  EXPECT_EQ(fake_.log, (std::vector<std::string>{"OnTimer 1 4"}));
  fake_.log.clear();
  fake_.states[2] = SEW_ERROR;
  fake_.FireStatus(2, SEW_ERROR);
  fake_.timerAnswers[2] = {7, 1234, 210};
  panels_.PollMachines(5);
  EXPECT_EQ(Logged("OnTimer 2 5"), 1);
  EXPECT_EQ(host_.traceStates, (std::vector<std::vector<int>>{{1, 7, 1234, 210}}));
  // Acknowledged, the alarm keeps its mode, so the machine is still polled.
  panels_.ClearMachineError(1, false);
  fake_.log.clear();
  panels_.PollMachines(6);
  EXPECT_EQ(Logged("OnTimer 2 6"), 1);
  panels_.ClearMachineError(1, true);
  fake_.log.clear();
  panels_.PollMachines(7);
  EXPECT_EQ(Logged("OnTimer 2"), 0);
}

TEST_F(MachinePollTest, RejectedAlarmBlinksElevenTimesThenClearsItselfOnce) {
  SerialAndNetworked();
  fake_.FireStatus(2, SEW_REJECTED);
  ASSERT_EQ(panels_.GetMachine(1)->alarmMode, 2);
  std::vector<std::uint32_t> pictures;
  for (int t = 0; t < 11; ++t) {
    panels_.PollMachines(t);
    pictures.push_back(panels_.GetMachine(1)->sewImage);
  }
  EXPECT_EQ(panels_.GetMachine(1)->alarmTicks, 11);
  EXPECT_EQ(Logged("ClearError"), 0);
  for (int t = 0; t < 11; ++t)
    EXPECT_EQ(pictures[t], t % 2 == 1 ? kSewImageAlarm : kSewImageOnline) << t;
  panels_.PollMachines(11);
  panels_.PollMachines(12);
  EXPECT_EQ(Logged("ClearError 2"), 1);
  EXPECT_EQ(panels_.GetMachine(1)->alarmMode, 0);
  EXPECT_EQ(panels_.GetMachine(1)->sewImage, kSewImageOnline);
}

TEST_F(MachinePollTest, AcknowledgedErrorStopsBlinkingAndBlocksANewAlarm) {
  SerialAndNetworked();
  fake_.states[1] = SEW_ERROR;
  fake_.FireStatus(1, SEW_ERROR);
  panels_.PollMachines(1);
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageAlarm);
  panels_.SewClick(0);
  EXPECT_EQ(host_.infoShown, (std::vector<int>{0}));
  EXPECT_EQ(panels_.GetMachine(0)->alarmTicks, -1);
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOnline);
  for (int t = 2; t < 30; ++t) panels_.PollMachines(t);
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOnline);
  fake_.FireStatus(1, SEW_REJECTED);
  EXPECT_EQ(panels_.GetMachine(0)->alarmMode, 1);
  EXPECT_EQ(panels_.GetMachine(0)->alarmTicks, -1);
  EXPECT_EQ(Logged("ClearError"), 0);
}

TEST_F(MachinePollTest, SewButtonPerState) {
  struct Case {
    TSewingState state;
    bool shown;
    std::int32_t ticks;  // after the click, from an alarm at 3 blink steps
  };
  const Case cases[] = {{SEW_SEWING, false, 3},  {SEW_IDLE, true, 3},      {SEW_PAUSED, true, 3},
                        {SEW_OFFLINE, true, -1}, {SEW_REJECTED, true, -1}, {SEW_ERROR, true, -1}};
  SerialAndNetworked();
  for (const Case& c : cases) {
    host_.infoShown.clear();
    panels_.GetMachine(1)->alarmMode = 1;
    panels_.GetMachine(1)->alarmTicks = 3;
    fake_.states[2] = c.state;
    panels_.SewClick(1);
    EXPECT_EQ(host_.infoShown.size(), c.shown ? 1u : 0u) << c.state;
    EXPECT_EQ(panels_.GetMachine(1)->alarmTicks, c.ticks) << c.state;
  }
}

TEST_F(MachinePollTest, ReconnectionInTheDialogTakesTheNewCookieOfTheSameMachine) {
  SerialAndNetworked();
  panels_.SetEnabled(1, false);
  host_.infoAnswer = 42;
  EXPECT_TRUE(panels_.ShowMachineInfo(1));
  EXPECT_EQ(panels_.GetMachine(1)->cookie, 42);
  EXPECT_TRUE(panels_.IsEnabled(1));
  EXPECT_TRUE(fake_.Logged("GetState 42"));  // the new connection's state is taken

  // The machine list rebuilt while the dialog ran: the answer names a machine that has gone.
  host_.infoAnswer = 43;
  host_.duringInfo = [this] {
    panels_.RemoveAllMachines();
    TConnInfo serial{};
    ASSERT_TRUE(panels_.AddMachine(0, serial, ""));
    ASSERT_TRUE(panels_.AddMachine(1, serial, ""));
  };
  EXPECT_FALSE(panels_.ShowMachineInfo(1));
  EXPECT_NE(panels_.GetMachine(1)->cookie, 43);
}

TEST_F(MachinePollTest, SpeedGoesToTheGroupOnlyWithAServer) {
  panels_.ChangeSpeed(600);
  EXPECT_TRUE(fake_.log.empty());
  Connect();
  panels_.ChangeSpeed(600);
  EXPECT_EQ(fake_.log, (std::vector<std::string>{"SyncChangeSpeed 600"}));
}

}  // namespace
