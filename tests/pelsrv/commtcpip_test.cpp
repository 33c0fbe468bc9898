// A TCP/IP machine connection driven end to end through the dispatcher, with the test playing
// the machine over loopback.
#include "pelsrv/lines/commtcpip.h"

#include <thread>

#include <gtest/gtest.h>

#include "loopbackpeer.h"
#include "servicefixture.h"

namespace pelsrv_test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class TcpConnection : public ::testing::Test {
 protected:
  // Connects device 0 to the peer and waits for the line to come up.
  TCommBase& ConnectOnline() {
    cookie = harness.Connect(0, peer.ConnInfo());
    EXPECT_EQ(cookie, 1);
    EXPECT_TRUE(peer.Accept());
    TCommBase* comm = harness.main->FindByCookie(cookie);
    EXPECT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));
    return *comm;
  }
  bool WaitOffline(TCommBase& comm, std::chrono::milliseconds timeout = 5s) {
    return harness.PumpUntil(
        [&] { return !comm.IsOnline() && Has(harness.events, "StatusChange(1,1)"); }, timeout);
  }

  ServiceHarness harness;
  LoopbackPeer peer;
  TCookie cookie = 0;
};

TEST_F(TcpConnection, ConnectSendsIdentityRequestAndReportsIdle) {
  TCommBase& comm = ConnectOnline();
  EXPECT_EQ(peer.Receive(1), Bytes{0xD1});
  EXPECT_TRUE(Has(harness.events, "StatusChange(1,2)"));
  EXPECT_EQ(comm.EffectiveState(), SEW_IDLE);
  EXPECT_EQ(comm.GetName(), "machine");
}

TEST_F(TcpConnection, RepliesReachTheHandlerInOrder) {
  TCommBase& comm = ConnectOnline();
  peer.Receive(1);
  peer.Send({0x16, 0x11, 3, 12, 0, 0xF4, 0x01, 0, 0});  // sewing at stitch 500, needle 3
  ASSERT_TRUE(harness.PumpUntil([&] { return harness.events.Only("Progress").size() == 1; }));
  EXPECT_EQ(comm.Status().currentStitch, 500u);
  EXPECT_EQ(comm.EffectiveState(), SEW_SEWING);
}

TEST_F(TcpConnection, RepliesOfALineClosedMeanwhileAreDropped) {
  TCommBase& comm = ConnectOnline();
  peer.Send({0x82, 0, 0x34, 0x12});
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (harness.queue->Size() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(harness.queue->Size(), 1u) << "the reply is posted, not yet handled";
  comm.Close();
  harness.PumpFor(100ms);
  EXPECT_FALSE(Has(harness.events, "SendStart(1)"));
}

TEST_F(TcpConnection, PeerClosingTakesTheLineOfflineWithError273) {
  TCommBase& comm = ConnectOnline();
  peer.Hangup();
  ASSERT_TRUE(WaitOffline(comm));
  EXPECT_EQ(comm.GetError(), 273);
  EXPECT_EQ(comm.EffectiveState(), SEW_OFFLINE);
  EXPECT_FALSE(static_cast<TCommTcpip&>(comm).ReaderRunning());
}

TEST_F(TcpConnection, TruncatedPayloadIsLossOfTheLineNotAnOnlineChange) {
  TCommBase& comm = ConnectOnline();
  const std::size_t before = harness.events.Events().size();
  peer.Send({0x11, 1, 2, 3});
  peer.Hangup();
  ASSERT_TRUE(WaitOffline(comm));
  std::vector<std::string> after(harness.events.Events().begin() + static_cast<long>(before),
                                 harness.events.Events().end());
  EXPECT_EQ(after, (std::vector<std::string>{"SendProgress(1,0)", "StatusChange(1,1)"}));
}

TEST_F(TcpConnection, SilenceIsLossAndKeepAlivesHoldTheLine) {
  TCommBase& comm = ConnectOnline();
  for (int i = 0; i < 6; ++i) {  // 1.2 s of keep-alives against a 600 ms time-out
    harness.PumpFor(200ms);
    peer.Send({0x16});
  }
  EXPECT_TRUE(comm.IsOnline());
  ASSERT_TRUE(WaitOffline(comm, 3s));
  EXPECT_EQ(comm.GetError(), 273);
}

TEST_F(TcpConnection, DisconnectDuringATransferEndsItAndTellsTheClient) {
  TCommBase& comm = ConnectOnline();
  peer.Receive(1);
  peer.Send({0x82, 0, 0x34, 0x12});
  ASSERT_TRUE(harness.PumpUntil([&] { return Has(harness.events, "SendStart(1)"); }));
  ASSERT_TRUE(comm.StartTransfer(true));
  EXPECT_EQ(peer.Receive(521).size(), 521u);
  comm.Close();
  EXPECT_FALSE(comm.IsSending());
  EXPECT_TRUE(Has(harness.events, "SendStop(1,3)"));
  EXPECT_EQ(harness.events.Events().back(), "StatusChange(1,1)");
  EXPECT_EQ(harness.main->Count(), 1) << "a closed connection stays in the list";
}

TEST_F(TcpConnection, ReconnectAfterLossUsesAFreshSocket) {
  TCommBase& comm = ConnectOnline();
  peer.Hangup();
  ASSERT_TRUE(WaitOffline(comm));
  auto& tcp = static_cast<TCommTcpip&>(comm);
  ASSERT_TRUE(tcp.Reconnect());
  ASSERT_TRUE(peer.Accept());
  EXPECT_TRUE(harness.PumpUntil([&] { return comm.IsOnline(); }));
  EXPECT_EQ(peer.Receive(1), Bytes{0xD1});
}

TEST_F(TcpConnection, ConnectRefusedThenListeningMachineIsReachedOnReconnect) {
  std::uint16_t port;
  TConnInfo info;
  {
    LoopbackPeer gone;
    port = gone.Port();
    info = gone.ConnInfo();
  }
  cookie = harness.Connect(0, info);
  ASSERT_EQ(cookie, 1);
  auto* tcp = harness.main->FindTcpByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return !tcp->ReaderRunning(); }));
  EXPECT_FALSE(tcp->IsOnline());
  LoopbackPeer back(port);
  ASSERT_TRUE(tcp->Reconnect());
  ASSERT_TRUE(back.Accept());
  EXPECT_TRUE(harness.PumpUntil([&] { return tcp->IsOnline(); }));
}

TEST_F(TcpConnection, SecondReaderIsRefusedWhileTheFirstIsConnecting) {
  const TConnInfo nowhere = UnroutableConnInfo();
  TPelMainOptions options = ServiceHarness::ShortTimeouts();
  options.tcpTimeouts.connect_ms = 60000;
  ServiceHarness slow(options);
  TCookie c = slow.Connect(0, nowhere);
  auto* tcp = slow.main->FindTcpByCookie(c);
  ASSERT_NE(tcp, nullptr);
  if (!tcp->ReaderRunning()) GTEST_SKIP() << "this network refuses the address at once";
  EXPECT_FALSE(tcp->Reconnect());
  const auto start = std::chrono::steady_clock::now();
  tcp->Close();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "Close waits for no connect";
  EXPECT_FALSE(tcp->ReaderRunning());
}

TEST_F(TcpConnection, EmptyHostNameIsNamedOne) {
  cookie = harness.Connect(0, peer.ConnInfo(), "");
  EXPECT_EQ(harness.main->FindByCookie(cookie)->GetName(), "1");
}

TEST_F(TcpConnection, NetworkNamesCannotTakeOverOtherColourSections) {
  struct Case {
    const char* host;
    bool keptAsIs;
  };
  const Case cases[] = {
      {"embroidery-3.local", true}, {"SysColor", false}, {"MacColor1", false},
      {"maccolor2", false},         {"a]\nb=c", false},
  };
  TDevNo devNo = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    const TCookie k = harness.Connect(devNo++, peer.ConnInfo(), c.host);
    const std::string section = harness.main->FindByCookie(k)->ColorSectionName();
    EXPECT_EQ(section == c.host, c.keptAsIs);
    EXPECT_NE(section, "SysColor");
    EXPECT_NE(section.rfind("MacColor", 0), 0u);
    EXPECT_EQ(section.find_first_of("[]\n="), std::string::npos);
  }
}

TEST_F(TcpConnection, AddressHasSocketLayout) {
  cookie = harness.Connect(0, peer.ConnInfo());
  TConnAddress a = harness.main->FindByCookie(cookie)->GetAddress();
  const std::uint16_t port = peer.Address().sin_port;
  EXPECT_EQ(a[0], 2);
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(a[2], port & 0xFF);
  EXPECT_EQ(a[3], port >> 8);
  EXPECT_EQ(a[4], 127);
  EXPECT_EQ(a[7], 1);
}

// The time-out that the machines rely on, held for real: one byte every 5 s keeps the line,
// 6 s of silence loses it.
TEST(TcpConnectionRealTime, SixSecondsOfSilenceIsLoss) {
  ServiceHarness harness(TPelMainOptions{});
  LoopbackPeer peer;
  TCookie cookie = harness.Connect(0, peer.ConnInfo());
  ASSERT_TRUE(peer.Accept());
  TCommBase* comm = harness.main->FindByCookie(cookie);
  ASSERT_TRUE(harness.PumpUntil([&] { return comm->IsOnline(); }));
  harness.PumpFor(5000ms);
  peer.Send({0x16});
  const auto last_byte = std::chrono::steady_clock::now();
  harness.PumpFor(5500ms);
  EXPECT_TRUE(comm->IsOnline()) << "5.5 s after the last byte";
  ASSERT_TRUE(harness.PumpUntil([&] { return !comm->IsOnline(); }, 2000ms));
  const auto silent = std::chrono::steady_clock::now() - last_byte;
  EXPECT_GE(silent, 5900ms);
  EXPECT_LT(silent, 7000ms);
  EXPECT_EQ(comm->GetError(), 273);
}

}  // namespace
}  // namespace pelsrv_test
