// The panel manager's link to the machine server and its machine list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addressbytes.h"

#include <optional>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <cstring>

#include "hoopdesk/fakeservice.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "panelfixture.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/datafolder.h"
#include "platform/messages.h"
#include "sendtab.h"
#include "serverprocess.h"

namespace {

using testing::ElementsAre;

TConnInfo Serial(std::uint16_t port) {
  TConnInfo info{};
  info.port = port;
  info.baudRate = 19200;
  return info;
}

// A panel manager linked to a fake server, in a data folder of its own.
using PanelManagerTest = PanelWorld;

TEST(ConnectService, WithoutAServerShowsTheBoxAndFails) {
  ServerWorld world;  // nothing runs and nothing is registered
  BoxCatcher catcher;
  TPanelManager panels;
  EXPECT_FALSE(panels.ConnectService());
  EXPECT_THAT(catcher.boxes, ElementsAre("PelService is not running: 0x80040154"));
  EXPECT_EQ(panels.GetService(), nullptr);
  EXPECT_FALSE(panels.AddMachine(0, Serial(0), ""));
}

TEST(ConnectService, TheBoxCarriesTheConnectorsCode) {
  BoxCatcher catcher;
  TPanelManager panels([](std::unique_ptr<TServiceLink>*) { return CO_E_SERVER_EXEC_FAILURE; });
  EXPECT_FALSE(panels.ConnectService());
  EXPECT_THAT(catcher.boxes, ElementsAre("PelService is not running: 0x80080005"));
}

TEST_F(PanelManagerTest, ConnectAdvisesThenClearsTheServersList) {
  fake_.connections.push_back({7, Serial(3), "", true});  // left from an earlier run
  ASSERT_TRUE(panels_.ConnectService());
  EXPECT_THAT(fake_.log, ElementsAre("Advise", "DisconnectAll"));
  EXPECT_EQ(fake_.sinks.size(), 1u);
  EXPECT_TRUE(fake_.connections.empty());
  EXPECT_EQ(panels_.GetService(), &fake_);
}

TEST_F(PanelManagerTest, FailedAdviseFailsWithoutABox) {
  BoxCatcher catcher;
  fake_.sinks.assign(5, nullptr);  // five sinks of other clients: the sixth is refused
  EXPECT_FALSE(panels_.ConnectService());
  EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(PanelManagerTest, RefusedMachineLeavesItsDeviceNumberToTheNext) {
  Connect();
  fake_.connectResults = {S_FALSE};
  EXPECT_FALSE(panels_.AddMachine(0, Serial(2), ""));
  EXPECT_EQ(panels_.GetMachineCount(), 0);
  ASSERT_TRUE(panels_.AddMachine(0, Serial(4), ""));
  ASSERT_TRUE(panels_.AddMachine(1, NetworkConn(10, 0, 0, 7, 0x8813), "EMB-1"));

  EXPECT_EQ(panels_.GetMachineCount(), 2);
  EXPECT_EQ(panels_.GetMachine(0)->connInfo.port, 4);
  // Cookies come from the server: 1 went to nobody, the refused call got none.
  EXPECT_EQ(panels_.GetMachine(0)->cookie, 1);
  EXPECT_EQ(panels_.GetMachine(1)->cookie, 2);
  // Device number and server list position agree.
  for (int d = 0; d < 2; ++d) EXPECT_EQ(fake_.connections[d].cookie, panels_.GetMachine(d)->cookie);
  EXPECT_THAT(host_.traceFrames, ElementsAre(0, 1));
  EXPECT_EQ(panels_.GetMachine(1)->address, "machine-2");
}

TEST_F(PanelManagerTest, DeviceNumberMustBeTheNextIndex) {
  Connect();
  EXPECT_FALSE(panels_.AddMachine(1, Serial(0), ""));
  EXPECT_FALSE(panels_.AddMachine(-1, Serial(0), ""));
  EXPECT_TRUE(fake_.log.empty());
  for (int d = 0; d < kMaxMachines; ++d)
    ASSERT_TRUE(panels_.AddMachine(d, NetworkConn(10, 0, 0, static_cast<std::uint8_t>(d), 1), "m"));
  EXPECT_FALSE(panels_.AddMachine(16, NetworkConn(10, 0, 1, 0, 1), "m"));
  EXPECT_EQ(panels_.GetMachineCount(), 16);
}

struct SectionCase {
  const char* name;
  bool network;
  const char* hostName;
  int devNo;
  const char* section;
  friend void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.name; }
};

class PaletteSection : public PanelManagerTest, public testing::WithParamInterface<SectionCase> {};

TEST_P(PaletteSection, ComesFromTheNumberOrTheSafeNetworkName) {
  Connect();
  const SectionCase& c = GetParam();
  for (int d = 0; d <= c.devNo; ++d)
    ASSERT_TRUE(panels_.AddMachine(d, c.network ? NetworkConn(10, 0, 0, 1, 80) : Serial(0),
                                   c.network ? c.hostName : ""));
  const TMachineRecord* record = panels_.GetMachine(c.devNo);
  EXPECT_EQ(record->palette.GetSection(), c.section);
  EXPECT_EQ(record->palette.GetCount(), TPanelManager::kPaletteSize);
  EXPECT_EQ(record->palette.GetFileName(), platform::DataPath("SysColor.dat").string());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaletteSection,
    testing::Values(SectionCase{"SerialDevice2", false, "", 2, "MacColor3"},
                    SectionCase{"SerialDevice0", false, "", 0, "MacColor1"},
                    SectionCase{"NetworkNameless", true, "", 0, "1"},
                    SectionCase{"NetworkPlainName", true, "EMB-1", 0, "EMB-1"},
                    // A network name cannot take a serial machine's palette...
                    SectionCase{"NetworkSerialLike", true, "MacColor1", 0, "%MacColor1"},
                    // ...nor the system palette, nor break the file.
                    SectionCase{"NetworkSystem", true, "SysColor", 0, "%SysColor"},
                    SectionCase{"NetworkBracket", true, "a]b", 0, "%a%5Db"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelManagerTest, NewMachineIsOfflineUntilItsFirstStateEvent) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOffline);
  EXPECT_FALSE(panels_.IsOnline(0));
  fake_.FireStatus(1, SEW_IDLE);
  EXPECT_TRUE(panels_.IsOnline(0));
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOnline);
}

TEST_F(PanelManagerTest, StateEventFromInsideConnectReachesTheNewMachine) {
  Connect();
  // The event names the cookie the call is about to return.
  fake_.during = [this](const std::string& call) {
    if (call.rfind("Connect", 0) == 0)
      fake_.FireStatus(static_cast<TCookie>(fake_.connections.size() + 1), SEW_IDLE);
  };
  ASSERT_TRUE(panels_.AddMachine(0, NetworkConn(10, 0, 0, 1, 80), "a"));
  ASSERT_TRUE(panels_.AddMachine(1, NetworkConn(10, 0, 0, 2, 80), "b"));
  EXPECT_TRUE(panels_.IsOnline(0));
  EXPECT_TRUE(panels_.IsOnline(1));
  EXPECT_EQ(panels_.GetMachine(1)->sewImage, kSewImageOnline);
}

// A state held while Connect ran is older than one handled once the record exists: replayed
// afterwards it would turn the machine back (an offline replayed over idle drops the queue).
TEST_F(PanelManagerTest, HeldStateIsReplayedOnlyWithoutANewerOne) {
  struct Case {
    const char* name;
    TSewingState duringConnect;
    std::optional<TSewingState> duringState;  // during GetMachineState, the record exists
    bool online;
  };
  const Case cases[] = {
      {"held idle, nothing newer", SEW_IDLE, std::nullopt, true},
      {"held offline, nothing newer", SEW_OFFLINE, std::nullopt, false},
      {"held offline, newer idle", SEW_OFFLINE, SEW_IDLE, true},
      {"held idle, newer offline", SEW_IDLE, SEW_OFFLINE, false},
  };
  Connect();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    panels_.RemoveAllMachines();
    const TCookie next = fake_.nextCookie = 40 + static_cast<TCookie>(&c - cases);
    fake_.during = [&](const std::string& call) {
      if (call.rfind("Connect", 0) == 0) fake_.FireStatus(next, c.duringConnect);
      if (call.rfind("GetMachineState", 0) == 0 && c.duringState)
        fake_.FireStatus(next, *c.duringState);
    };
    ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
    fake_.during = {};
    EXPECT_EQ(panels_.IsOnline(0), c.online);
  }
}

// The server reports a synchronisable machine's group while its Connect call runs: once the
// record exists, the machine is in the group and the other panels hide.
TEST_F(PanelManagerTest, GroupReportedFromInsideConnectReachesTheNewMachine) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  fake_.during = [this](const std::string& call) {
    if (call.rfind("Connect 1", 0) != 0) return;
    for (IPelSrvEvents* sink : fake_.sinks) sink->OnSyncSetup(1, 2, 1);
  };
  ASSERT_TRUE(panels_.AddMachine(1, Serial(1), ""));
  fake_.during = {};
  EXPECT_TRUE(panels_.GetMachine(1)->inSyncGroup);
  EXPECT_FALSE(panels_.IsShown(0));
  EXPECT_TRUE(panels_.IsShown(1));
  EXPECT_EQ(panels_.GetSyncMode(), 1);
}

TEST_F(PanelManagerTest, EventsDuringEveryCallKeepTheListWhole) {
  Connect();
  // Each call lets the server report every machine it knows as idle, then as offline.
  fake_.during = [this](const std::string&) {
    for (const auto& conn : std::vector<TFakeService::TConnection>(fake_.connections)) {
      fake_.FireStatus(conn.cookie, SEW_IDLE);
      fake_.FireStatus(conn.cookie, SEW_OFFLINE);
      fake_.FireStatus(conn.cookie, SEW_IDLE);
    }
  };
  for (int d = 0; d < 4; ++d)
    ASSERT_TRUE(
        panels_.AddMachine(d, NetworkConn(10, 0, 0, static_cast<std::uint8_t>(d), 80), "m"));
  EXPECT_TRUE(panels_.ReconnectMachine(2));
  EXPECT_EQ(panels_.GetMachineCount(), 4);
  for (int d = 0; d < 4; ++d) EXPECT_TRUE(panels_.IsOnline(d)) << d;
  panels_.RemoveAllMachines();
  EXPECT_EQ(panels_.GetMachineCount(), 0);
}

TEST_F(PanelManagerTest, FindByCookieTakesTheFirstHolder) {
  Connect();
  fake_.nextCookie = 5;
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  fake_.nextCookie = 5;
  ASSERT_TRUE(panels_.AddMachine(1, Serial(1), ""));
  EXPECT_EQ(panels_.FindMachineByCookie(5), 0);
  EXPECT_EQ(panels_.FindMachineByCookie(6), -1);
  EXPECT_EQ(panels_.FindMachineByCookie(0), -1);
}

TEST_F(PanelManagerTest, MachineAddressOfNetworkedAndSerialMachines) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, NetworkConn(192, 168, 0, 5, 0x8813), "EMB-1"));
  ASSERT_TRUE(panels_.AddMachine(1, Serial(3), ""));
  EXPECT_EQ(panels_.GetMachineAddress(0), (TMachineAddress{0x8813, Address(192, 168, 0, 5)}));
  EXPECT_EQ(panels_.GetMachineAddress(1), (TMachineAddress{3, 0}));
  EXPECT_EQ(panels_.GetMachineAddress(2), (TMachineAddress{}));
}

TEST_F(PanelManagerTest, ReconnectOfASerialMachineCallsNothing) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  fake_.log.clear();
  EXPECT_FALSE(panels_.ReconnectMachine(0));
  EXPECT_FALSE(panels_.ReconnectMachine(1));
  EXPECT_TRUE(fake_.log.empty());
}

TEST_F(PanelManagerTest, FailedReconnectKeepsTheCookie) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, NetworkConn(10, 0, 0, 1, 80), "a"));
  fake_.connectResults = {S_FALSE};
  EXPECT_FALSE(panels_.ReconnectMachine(0));
  EXPECT_EQ(panels_.GetMachine(0)->cookie, 1);
  EXPECT_EQ(panels_.GetMachine(0)->alarmTicks, 0);

  fake_.nextCookie = 9;
  EXPECT_TRUE(panels_.ReconnectMachine(0));
  EXPECT_EQ(panels_.GetMachine(0)->cookie, 9);
  EXPECT_EQ(panels_.GetMachine(0)->alarmTicks, -1) << "the alarm is acknowledged";
  EXPECT_TRUE(fake_.Logged("Connect 0 a"));
}

TEST_F(PanelManagerTest, RemoveAllClearsTheServersListSoNumbersAgreeAfterARebuild) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  ASSERT_TRUE(panels_.AddMachine(1, Serial(1), ""));
  fake_.log.clear();
  panels_.RemoveAllMachines();
  EXPECT_THAT(fake_.log, ElementsAre("Disconnect 1", "Disconnect 2", "DisconnectAll"));
  EXPECT_EQ(panels_.GetMachineCount(), 0);
  EXPECT_TRUE(fake_.connections.empty());

  ASSERT_TRUE(panels_.AddMachine(0, Serial(1), ""));
  std::int32_t cookie = 0;
  fake_.GetCookie(0, &cookie);
  EXPECT_EQ(cookie, panels_.GetMachine(0)->cookie);
}

TEST_F(PanelManagerTest, DestructionUnadvisesAndDisconnects) {
  {
    TPanelManager panels(FakeConnector(fake_));
    ASSERT_TRUE(panels.ConnectService());
    ASSERT_TRUE(panels.AddMachine(0, Serial(0), ""));
    fake_.log.clear();
  }
  EXPECT_THAT(fake_.log, ElementsAre("Unadvise 1", "Disconnect 1", "DisconnectAll"));
  EXPECT_TRUE(fake_.sinks.empty());
}

TEST_F(PanelManagerTest, SectionNameIsMacColorAndTheOneBasedNumber) {
  EXPECT_EQ(TPanelManager::MachineSectionName(0), "MacColor1");
  EXPECT_EQ(TPanelManager::MachineSectionName(15), "MacColor16");
}

TEST_F(PanelManagerTest, ReleaseRefusesWhileAMachineSewsUnlessForced) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  ASSERT_TRUE(panels_.AddMachine(1, Serial(1), ""));
  fake_.states[2] = SEW_SEWING;
  EXPECT_FALSE(panels_.ReleaseIdleMachines(false));
  EXPECT_EQ(panels_.GetMachineCount(), 2);
  EXPECT_TRUE(panels_.ReleaseIdleMachines(true));
  EXPECT_EQ(panels_.GetMachineCount(), 0);
}

TEST_F(PanelManagerTest, OfflineEventDropsTheQueueAndStopsTheAnimation) {
  Connect();
  ASSERT_TRUE(panels_.AddMachine(0, Serial(0), ""));
  fake_.FireStatus(1, SEW_IDLE);
  TStitchItem design;
  panels_.QueueDesign(0, -1, design);
  ASSERT_EQ(panels_.QueuedDesignCount(0), 1);
  EXPECT_TRUE(panels_.CanSend(0));
  panels_.SetBusy(0, true);
  fake_.FireStatus(1, SEW_OFFLINE);
  EXPECT_EQ(panels_.QueuedDesignCount(0), 0);
  EXPECT_FALSE(panels_.IsMachineBusy(0));
  EXPECT_FALSE(panels_.IsOnline(0));
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOffline);
}

TEST_F(PanelManagerTest, AddMachinesNumbersWithoutGapsUpToSixteen) {
  Connect();
  std::vector<TMachineEntry> entries;
  for (int i = 0; i < 20; ++i)
    // Appended, not prefixed: "m" + text makes g++ 12 warn falsely (-Wrestrict).
    entries.push_back(NetworkEntry(0x5000, Address(10, 0, 0, static_cast<std::uint8_t>(i)),
                                   std::string("m").append(std::to_string(i))));
  fake_.connectResults = {S_OK, S_FALSE, S_OK, S_FALSE};
  EXPECT_EQ(panels_.AddMachines(entries), 16);
  EXPECT_EQ(panels_.GetMachineCount(), 16);
  EXPECT_EQ(panels_.GetMachine(0)->hostName, "m0");
  EXPECT_EQ(panels_.GetMachine(1)->hostName, "m2");  // m1 was refused and took no number
  EXPECT_EQ(panels_.GetMachine(2)->hostName, "m4");
  EXPECT_EQ(panels_.GetMachine(2)->connInfo.b4, 4);
  EXPECT_EQ(panels_.GetMachineAddress(2), (TMachineAddress{0x5000, Address(10, 0, 0, 4)}));
  EXPECT_TRUE(fake_.Logged("Connect 1 m1"));
  EXPECT_TRUE(fake_.Logged("Connect 1 m2"));
  EXPECT_FALSE(fake_.Logged("Connect 16 m18"));
}

}  // namespace

namespace {

TEST_F(PanelManagerTest, ArrangeShowsOneSlotPerMachineAndTheSavedSpeedQuietly) {
  Connect();
  SendTab tab;
  tab.HandTo(panels_, 555);
  EXPECT_EQ(tab.sendBtns[2].property("ResId").toInt(), TPanelSlots::kSendAnimationResId);
  int speedChanges = 0;
  QObject::connect(&tab.trackBar, &QSlider::valueChanged, [&] { ++speedChanges; });
  for (int d = 0; d < 3; ++d) ASSERT_TRUE(panels_.AddMachine(d, Serial(d), ""));
  tab.page.show();
  panels_.ArrangePanels();

  for (int k = 0; k < kPanelSlots; ++k)
    for (QWidget* w : tab.Slot(k)) EXPECT_EQ(w->isVisible(), k < 3) << k;
  EXPECT_FALSE(tab.vScroll.isVisible());
  // Under slot 3: its image ends at 8 + 2 * 92 + 85.
  EXPECT_EQ(tab.hScroll.y(), 8 + 2 * 92 + 85 + 10);
  // The saved speed is shown as it is, and no change handler takes it for the operator's.
  EXPECT_EQ(tab.trackBar.value(), 555);
  EXPECT_EQ(speedChanges, 0);
}

TEST_F(PanelManagerTest, SevenMachinesShowTheMachineScrollBar) {
  Connect();
  SendTab tab;
  tab.HandTo(panels_, 600);
  for (int d = 0; d < 7; ++d) ASSERT_TRUE(panels_.AddMachine(d, Serial(d), ""));
  tab.page.show();
  panels_.ArrangePanels();
  EXPECT_TRUE(tab.vScroll.isVisible());
  EXPECT_EQ(tab.vScroll.maximum(), 1);  // first machine 0 or 1: six of seven in view
  EXPECT_EQ(tab.vScroll.pageStep(), 6);
  EXPECT_EQ(tab.hScroll.y(), 8 + 5 * 92 + 85 + 10);
}

}  // namespace
