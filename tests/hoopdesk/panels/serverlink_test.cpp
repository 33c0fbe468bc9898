// The panel manager when the machine server stalls or dies: one notice, every machine offline with
// its queue kept, and the machines connected again, in their order, once the server answers again
// or a new one has been attached in place of a dead one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "designmaker.h"
#include "hoopdesk/addressbytes.h"
#include "panelfixture.h"

namespace {

class ServerLinkTest : public PanelWorld {
 protected:
  // Two serial machines and a networked one, idle, each with a design queued.
  void ThreeMachinesWithQueues() {
    ConnectIdle(2);
    ASSERT_TRUE(panels_.AddMachine(2, NetworkConn(10, 0, 0, 7, 0x5000), "EMB-7"));
    fake_.FireStatus(panels_.GetMachine(2)->cookie, SEW_IDLE);
    for (TDevNo d = 0; d < 3; ++d)
      panels_.QueueDesign(d, -1, designmaker::MakeDesign(1, 40 + 10 * d, 300, "q"));
    fake_.log.clear();
  }
  void ExpectAllOffline() {
    for (TDevNo d = 0; d < panels_.GetMachineCount(); ++d) {
      SCOPED_TRACE(d);
      const TMachineRecord& m = *panels_.GetMachine(d);
      EXPECT_FALSE(m.online);
      EXPECT_FALSE(m.busy);
      EXPECT_FALSE(m.canSend);
      EXPECT_EQ(m.sewImage, kSewImageOffline);
      EXPECT_EQ(m.progress, 0);
    }
  }
  BoxCatcher boxes_;
};

TEST_F(ServerLinkTest, StalledServerShowsOneNoticeAndComesBackWithTheSameMachines) {
  ThreeMachinesWithQueues();
  panels_.SetBusy(1, true);  // a transfer was running, and runs on in the server
  panels_.SetProgress(1, 40);
  fake_.sending[panels_.GetMachine(1)->cookie] = 1;
  fake_.states[panels_.GetMachine(2)->cookie] = SEW_SEWING;
  const TCookie before[] = {panels_.GetMachine(0)->cookie, panels_.GetMachine(1)->cookie,
                            panels_.GetMachine(2)->cookie};

  fake_.linkState = TLinkState::Stalled;
  for (int tick = 0; tick < 5; ++tick) panels_.WatchServiceLink();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0], "PelService is not running: 0x8001011F");
  EXPECT_TRUE(panels_.ServiceLinkDown());
  EXPECT_EQ(panels_.GetService(), nullptr);
  ExpectAllOffline();
  EXPECT_TRUE(fake_.log.empty()) << fake_.log.front();  // nothing is asked while it is down
  for (TDevNo d = 0; d < 3; ++d) EXPECT_EQ(panels_.QueuedDesignCount(d), 1) << d;
  // The operator's actions do nothing meanwhile, and show nothing.
  panels_.SendDesign(0);
  panels_.PollMachines(3);
  EXPECT_EQ(boxes_.boxes.size(), 1u);

  std::vector<std::string> withdrawn;
  platform::SetNoticeWithdrawHandler([&](const std::string& text) { withdrawn.push_back(text); });
  // The same server kept its connections, its transfers and the sink: nothing is connected
  // again (which would end the transfer), no second advise (no event would come twice); each
  // machine takes the state the server holds.
  fake_.linkState = TLinkState::Up;
  panels_.WatchServiceLink();
  EXPECT_FALSE(panels_.ServiceLinkDown());
  EXPECT_EQ(Logged("Advise"), 0);
  EXPECT_EQ(Logged("DisconnectAll"), 0);
  EXPECT_EQ(Logged("Connect"), 0);
  ASSERT_EQ(panels_.GetMachineCount(), 3);
  for (TDevNo d = 0; d < 3; ++d) {
    SCOPED_TRACE(d);
    EXPECT_EQ(panels_.GetMachine(d)->cookie, before[d]);
    EXPECT_EQ(panels_.QueuedDesignCount(d), 1);
    EXPECT_TRUE(panels_.IsOnline(d));
  }
  EXPECT_TRUE(panels_.IsMachineBusy(1));
  EXPECT_EQ(panels_.GetMachine(1)->sewImage, kSewImageSending);
  EXPECT_TRUE(panels_.CanSend(0));
  EXPECT_FALSE(panels_.CanSend(2));  // it sews
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  platform::SetNoticeWithdrawHandler({});
  // The notice no longer holds: it is taken back.
  EXPECT_EQ(withdrawn, std::vector<std::string>{"PelService is not running: 0x8001011F"});
}

// A server that stops while nothing calls it is asked now and then, without waiting.
TEST_F(ServerLinkTest, AnIdleLinkIsProbed) {
  Connect();
  for (int tick = 0; tick < 3 * TServerLink::kProbeEvery; ++tick) panels_.WatchServiceLink();
  EXPECT_EQ(fake_.probes, 3);
  fake_.linkState = TLinkState::Stalled;
  for (int tick = 0; tick < 3 * TServerLink::kProbeEvery; ++tick) panels_.WatchServiceLink();
  EXPECT_EQ(fake_.probes, 3) << "a stalled link is not asked again";
}

// A dead server's link is replaced step by step: the window goes on between the steps, and the
// new server learns the sink and the machines.
TEST_F(ServerLinkTest, DeadServerIsReplacedByANewOneThatGetsTheMachines) {
  TFakeService second;
  std::deque<HRESULT> steps = {E_PENDING, E_PENDING, S_OK};
  int asks = 0;
  RecordingHost host;
  TPanelManager panels(FakeConnector(fake_), [&](std::unique_ptr<TServiceLink>* out) {
    ++asks;
    const HRESULT hr = steps.front();
    steps.pop_front();
    if (hr == S_OK) *out = std::make_unique<TFakeServiceLink>(second);
    return hr;
  });
  panels.SetHost(&host);
  panels.SetTraceSink(&host);
  ASSERT_TRUE(panels.ConnectService());
  for (std::uint16_t d = 0; d < 2; ++d) {
    TConnInfo info{};
    info.port = d;
    ASSERT_TRUE(panels.AddMachine(d, info, ""));
    fake_.FireStatus(panels.GetMachine(d)->cookie, SEW_IDLE);
    panels.QueueDesign(d, -1, designmaker::MakeDesign(1, 50, 300, "q"));
  }

  fake_.linkState = TLinkState::Lost;
  panels.WatchServiceLink();  // the loss
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0], "PelService is not running: 0x80010108");
  panels.WatchServiceLink();
  panels.WatchServiceLink();
  EXPECT_EQ(asks, 2);
  EXPECT_TRUE(panels.ServiceLinkDown());
  panels.WatchServiceLink();
  EXPECT_EQ(asks, 3);
  EXPECT_FALSE(panels.ServiceLinkDown());
  EXPECT_EQ(panels.GetService(), &second);
  EXPECT_EQ(second.sinks.size(), 1u);
  EXPECT_TRUE(second.Logged("DisconnectAll"));
  ASSERT_EQ(second.connections.size(), 2u);
  EXPECT_EQ(host.rebuilt, 1);
  for (TDevNo d = 0; d < 2; ++d) {
    EXPECT_EQ(panels.GetMachine(d)->cookie, second.connections[d].cookie);
    EXPECT_EQ(panels.QueuedDesignCount(d), 1);
    second.FireStatus(panels.GetMachine(d)->cookie, SEW_IDLE);
    EXPECT_TRUE(panels.IsOnline(d));
  }
  EXPECT_EQ(boxes_.boxes.size(), 1u);
}

// Dialogs hold the server interface for their lifetime: a modal one defers the machines'
// return until it has closed.
TEST_F(ServerLinkTest, ReturnWaitsForAModalDialogToClose) {
  ThreeMachinesWithQueues();
  fake_.linkState = TLinkState::Stalled;
  panels_.WatchServiceLink();
  fake_.linkState = TLinkState::Up;
  {
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    panels_.WatchServiceLink();
    EXPECT_TRUE(panels_.ServiceLinkDown());
    EXPECT_EQ(Logged("GetState"), 0);
  }
  panels_.WatchServiceLink();
  EXPECT_FALSE(panels_.ServiceLinkDown());
  EXPECT_GE(Logged("GetState"), 3);
}

// The link goes again while a new server gets the machines: those not reached yet stay in the
// list, unconnected, and are connected once the server answers again.
TEST_F(ServerLinkTest, ALossDuringTheReconnectionKeepsTheMachinesNotReachedYet) {
  TFakeService second;
  RecordingHost host;
  TPanelManager panels(FakeConnector(fake_), [&](std::unique_ptr<TServiceLink>* out) {
    *out = std::make_unique<TFakeServiceLink>(second);
    return S_OK;
  });
  panels.SetHost(&host);
  panels.SetTraceSink(&host);
  ASSERT_TRUE(panels.ConnectService());
  for (std::uint16_t d = 0; d < 3; ++d) {
    TConnInfo info{};
    info.port = d;
    ASSERT_TRUE(panels.AddMachine(d, info, ""));
    panels.QueueDesign(d, -1, designmaker::MakeDesign(1, 50, 300, "q"));
  }
  fake_.linkState = TLinkState::Lost;
  panels.WatchServiceLink();
  second.during = [&](const std::string& call) {
    if (call.rfind("Connect 0", 0) == 0) second.linkState = TLinkState::Stalled;
  };
  panels.WatchServiceLink();  // attached to the second server, which stalls on the way
  second.during = {};
  ASSERT_EQ(panels.GetMachineCount(), 3);
  for (TDevNo d = 0; d < 3; ++d) EXPECT_EQ(panels.QueuedDesignCount(d), 1) << d;
  EXPECT_NE(panels.GetMachine(0)->cookie, 0);
  EXPECT_EQ(panels.GetMachine(1)->cookie, 0);
  EXPECT_EQ(panels.GetMachine(2)->cookie, 0);
  panels.WatchServiceLink();  // the second loss
  EXPECT_EQ(boxes_.boxes.size(), 2u);
  second.linkState = TLinkState::Up;
  second.connectResults = {S_OK, S_FALSE};  // the last machine cannot be reached any more
  panels.WatchServiceLink();
  EXPECT_EQ(second.connections.size(), 2u);
  ASSERT_EQ(panels.GetMachineCount(), 2);
  EXPECT_EQ(panels.GetMachine(1)->cookie, second.connections[1].cookie);
  EXPECT_TRUE(second.Logged("Connect 1 "));
  EXPECT_TRUE(second.Logged("Connect 2 "));
  EXPECT_EQ(host.rebuilt, 2);
}

}  // namespace
