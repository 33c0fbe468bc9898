// The connection manager: cookies, reuse, the synchronised group, the common speed, the log.
#include "pelsrv/lines/pelmain.h"

#include <fstream>

#include <gtest/gtest.h>

#include "loopbackpeer.h"
#include "pelsrv/lines/commtcpip.h"
#include "servicefixture.h"

namespace pelsrv_test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Identity reply 0x01 on TCP/IP (13 bytes): machine type, needle count, sync flag at [12].
Bytes Identity(std::uint8_t type, std::uint8_t syncFlag) {
  return {0x01, type, 15, 1, 0, 2, 0, 3, 0, 0, 0, 0, syncFlag};
}

platform::Message MakeMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                              const Bytes& payload) {
  platform::Message m;
  m.msg = msg;
  m.wParam = wParam;
  m.lParam = lParam;
  std::copy(payload.begin(), payload.end(), m.payload.begin());
  m.payloadSize = static_cast<std::uint8_t>(payload.size());
  return m;
}

TEST(PelMain, CookiesCountFromOneAndAreNeverReused) {
  ServiceHarness harness;
  LoopbackPeer a, b, c, d;
  EXPECT_EQ(harness.Connect(0, a.ConnInfo()), 1);
  EXPECT_EQ(harness.Connect(1, b.ConnInfo()), 2);
  EXPECT_EQ(harness.Connect(2, c.ConnInfo()), 3);
  EXPECT_EQ(harness.main->Count(), 3);
  harness.main->DestroyAll();
  EXPECT_EQ(harness.main->Count(), 0);
  EXPECT_EQ(harness.main->FindByCookie(1), nullptr);
  EXPECT_EQ(harness.Connect(0, d.ConnInfo()), 4);
}

TEST(PelMain, FailedConnectUsesNoCookie) {
  ServiceHarness harness;
  LoopbackPeer a;
  TConnInfo serial{};
  serial.port = 0;
  serial.baudRate = 9600;
  EXPECT_EQ(harness.Connect(7, serial), 0) << "device 7 is no serial slot";
  EXPECT_EQ(harness.Connect(-1, serial), 0);
  EXPECT_EQ(harness.main->Count(), 0);
  EXPECT_EQ(harness.Connect(0, a.ConnInfo()), 1);
}

TEST(PelMain, LookupsOfWhatIsNotThere) {
  ServiceHarness harness;
  LoopbackPeer a;
  harness.Connect(0, a.ConnInfo());
  EXPECT_EQ(harness.main->FindByCookie(0), nullptr);
  EXPECT_EQ(harness.main->FindByCookie(2), nullptr);
  EXPECT_EQ(harness.main->GetByPosition(-1), nullptr);
  EXPECT_EQ(harness.main->GetByPosition(1), nullptr);
  EXPECT_NE(harness.main->GetByPosition(0), nullptr);
}

TEST(PelMain, MessagesForACookieThatNamesNothingAreDropped) {
  ServiceHarness harness;
  for (std::uint32_t msg : {platform::UM_RX_COMMAND, platform::UM_MODEM_STATUS,
                            platform::UM_BLOCK_SENT, pelsrv::UM_TCP_LINE}) {
    EXPECT_TRUE(
        harness.dispatch->Dispatch(MakeMessage(msg, 42, 0x84, {0x11, 1, 2, 3, 4, 5, 6, 7})));
  }
  EXPECT_FALSE(harness.dispatch->Dispatch(MakeMessage(platform::WM_USER + 99, 1, 0, {})));
  EXPECT_TRUE(harness.events.Events().empty());
}

TEST(PelMain, OfflineTcpConnectionWithTheSameAddressIsReused) {
  ServiceHarness harness;
  LoopbackPeer peer;
  const TCookie first = harness.Connect(0, peer.ConnInfo());
  ASSERT_TRUE(peer.Accept());
  TCommBase* comm = harness.main->FindByCookie(first);
  ASSERT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));

  // Online: not reused, a second connection is appended.
  const TCookie second = harness.Connect(0, peer.ConnInfo());
  EXPECT_EQ(second, 2);
  EXPECT_EQ(harness.main->Count(), 2);
  ASSERT_TRUE(peer.Accept());  // the second one's connect
  peer.Hangup();

  // Offline (the reader let go): reused, reconnects, keeps its cookie.
  comm->Close();
  EXPECT_EQ(harness.Connect(0, peer.ConnInfo()), first);
  EXPECT_EQ(harness.main->Count(), 2);
  ASSERT_TRUE(peer.Accept());
  EXPECT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));

  // Another port at the same position: a new connection.
  LoopbackPeer other;
  comm->Close();
  EXPECT_EQ(harness.Connect(0, other.ConnInfo()), 3);
}

TEST(PelMain, TcpConnectionStillConnectingIsNotReconnectedTwice) {
  ServiceHarness harness;
  const TConnInfo nowhere = UnroutableConnInfo();
  const TCookie c = harness.Connect(0, nowhere);
  auto* tcp = harness.main->FindTcpByCookie(c);
  if (!tcp->ReaderRunning()) GTEST_SKIP() << "this network refuses the address at once";
  EXPECT_EQ(harness.Connect(0, nowhere), c);
  EXPECT_TRUE(tcp->ReaderRunning());
  EXPECT_EQ(harness.main->Count(), 1);
}

// Brings up `n` TCP/IP machines, each answering the identity request as sync-capable.
class SyncGroup : public ::testing::Test {
 protected:
  void Bring(int n) {
    for (int i = 0; i < n; ++i) {
      peers.push_back(std::make_unique<LoopbackPeer>());
      const TCookie c = harness.Connect(i, peers.back()->ConnInfo());
      ASSERT_TRUE(peers.back()->Accept());
      TCommBase* comm = harness.main->FindByCookie(c);
      ASSERT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));
      ASSERT_EQ(peers.back()->Receive(1), Bytes{0xD1});
      peers.back()->Send(Identity(0x10, 1));
      ASSERT_TRUE(harness.PumpUntil([&] { return comm->IsSyncCapable(); }));
      ASSERT_EQ(peers.back()->Receive(1), Bytes{0xE0});
    }
  }
  ServiceHarness harness;
  std::vector<std::unique_ptr<LoopbackPeer>> peers;
};

TEST_F(SyncGroup, SetUpIsRelayedWithTheCommonSpeedToEveryMember) {
  Bring(2);
  EXPECT_EQ(harness.main->SyncCapableCount(), 2);
  EXPECT_TRUE(Has(harness.events, "SyncSetup(2,2,1)"));
  peers[0]->Send({0x60, 3, 0, 0, 0x34, 0x12, 0x56, 0x00, 9, 9, 9, 9});
  const Bytes expected{0xC0, 3, 50, 0, 0x34, 0x12, 0x56, 0x00};
  harness.PumpFor(200ms);
  EXPECT_EQ(peers[0]->Receive(8), expected);
  EXPECT_EQ(peers[1]->Receive(8), expected);
}

TEST_F(SyncGroup, ModeStopAndWithdrawAreRelayed) {
  Bring(2);
  peers[1]->Send({0x61, 1});
  harness.PumpFor(200ms);
  EXPECT_EQ(peers[0]->Receive(2), (Bytes{0xC1, 1}));
  EXPECT_EQ(peers[1]->Receive(2), (Bytes{0xC1, 1}));
  peers[0]->Send({0x68});
  harness.PumpFor(200ms);
  EXPECT_EQ(peers[1]->Receive(1), Bytes{0xC8});
  // 0xCC goes only to members whose last command was a set-up.
  peers[0]->Send({0x6C});
  harness.PumpFor(200ms);
  EXPECT_EQ(peers[1]->Receive(1, 200ms), Bytes{});
}

TEST_F(SyncGroup, AlarmOfAMemberStopsEverySyncCapableMachine) {
  Bring(3);
  peers[2]->Send({0x1E, 1, 6, 0, 10, 0, 0, 0});
  harness.PumpFor(200ms);
  for (auto& p : peers) EXPECT_EQ(p->Receive(1), Bytes{0xC8});
}

TEST_F(SyncGroup, CommonSpeedIsSentOnlyWhenItChanges) {
  Bring(2);
  harness.main->ChangeCommonSpeed(500);
  EXPECT_EQ(peers[0]->Receive(1, 200ms), Bytes{});
  harness.main->ChangeCommonSpeed(800);
  EXPECT_EQ(peers[0]->Receive(2), (Bytes{0xCA, 80}));
  EXPECT_EQ(peers[1]->Receive(2), (Bytes{0xCA, 80}));
  harness.main->ChangeCommonSpeed(800);
  EXPECT_EQ(peers[1]->Receive(1, 200ms), Bytes{});
}

struct RotationCase {
  std::uintmax_t size;
  bool rotated;
};

TEST(RotateLog, MovesOnlyALogAboveTheLimitAsideReplacingTheOldOne) {
  for (RotationCase c :
       {RotationCase{65536, false}, RotationCase{65537, true}, RotationCase{0, false}}) {
    SCOPED_TRACE(c.size);
    TempDataFolder folder;
    const auto log = folder.Path() / "pelservice.log";
    const auto old = folder.Path() / "pelservice.old";
    std::ofstream(old) << "previous";
    std::ofstream(log) << std::string(c.size, 'x');
    RotateLog(log, TPelMain::kLogRotateSize);
    EXPECT_EQ(std::filesystem::exists(log), !c.rotated);
    EXPECT_EQ(std::filesystem::file_size(old), c.rotated ? c.size : 8u);
  }
}

TEST(RotateLog, MissingLogIsLeftAlone) {
  TempDataFolder folder;
  RotateLog(folder.Path() / "pelservice.log", 10);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "pelservice.old"));
}

TEST(PelMain, SystemPaletteHasSixtyEntries) {
  ServiceHarness harness;
  EXPECT_EQ(harness.main->SystemPalette().GetCount(), 60);
  EXPECT_EQ(harness.main->CommonSpeed(), 500);
  EXPECT_EQ(harness.main->LogFileName(), harness.data.Path() / "pelservice.log");
}

}  // namespace
}  // namespace pelsrv_test
