// The panel manager against a real PelService and a simulated machine: events reach it while
// the program is idle, through the link's descriptor.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/pumpuntil.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/messages.h"
#include "serverprocess.h"
#include "simhost.h"

namespace {

TEST(ServiceLink, IdleProgramHearsTheMachineComeOnline) {
  ServerWorld world;
  ASSERT_GT(world.Start({}), 0);
  ASSERT_NE(world.Attach(), nullptr) << world.Stderr(1);
  SimHost machine(sim::TSimConfig{});

  TPanelManager panels;
  ASSERT_TRUE(panels.ConnectService());
  ASSERT_TRUE(panels.AddMachine(0, machine.ConnInfo(), "sim"));
  EXPECT_EQ(panels.GetMachine(0)->cookie, 1);
  EXPECT_TRUE(PumpUntil([&] { return panels.IsOnline(0); }));
  EXPECT_EQ(panels.GetMachine(0)->sewImage, kSewImageOnline);
  EXPECT_EQ(panels.GetMachine(0)->palette.GetSection(), "sim");

  panels.RemoveAllMachines();
  std::int32_t count = -1;
  panels.GetService()->MachineCount(&count);
  EXPECT_EQ(count, 0);
}

// A real server with one simulated machine online on a panel manager; the boxes and notices
// shown meanwhile are caught.
class RealServer : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = world_.Start({});
    ASSERT_GT(server_, 0);
    ASSERT_NE(world_.Attach(), nullptr) << world_.Stderr(1);
    ASSERT_TRUE(panels_.ConnectService());
    ASSERT_TRUE(panels_.AddMachine(0, machine_.ConnInfo(), "sim"));
    ASSERT_TRUE(PumpUntil([&] { return panels_.IsOnline(0); }));
    platform::SetMessageTextSource(ServiceMessageText);
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes_.push_back(text); });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler({});
    platform::SetMessageTextSource({});
  }

  ServerWorld world_;
  pid_t server_ = -1;
  SimHost machine_{sim::TSimConfig{}};
  TPanelManager panels_;
  std::vector<std::string> boxes_;
};

// Killed under the panel manager: noticed at once (its socket closes), one notice however often
// the panels and the poll ask meanwhile, every machine offline; a new server started later is
// attached by itself and gets the machine connected again.
TEST_F(RealServer, KilledServerIsNoticedAtOnceAndANewOneTakesItsPlace) {
  ::kill(server_, SIGKILL);
  world_.WaitExit(server_);
  const auto killed = std::chrono::steady_clock::now();
  EXPECT_TRUE(PumpUntil([&] {
    // The poll timer and the panels keep asking while the operator reads the notice.
    panels_.UpdateSendButtons(0, true);
    panels_.ReleaseIdleMachines(false);
    return panels_.ServiceLinkDown();
  }));
  EXPECT_LT(std::chrono::steady_clock::now() - killed, std::chrono::seconds(1));
  EXPECT_FALSE(panels_.IsOnline(0));
  EXPECT_FALSE(panels_.CanSend(0));
  EXPECT_EQ(panels_.GetMachine(0)->sewImage, kSewImageOffline);

  // Nothing is registered in this world: a new server comes when the test starts one.
  ASSERT_GT(world_.Start({}), 0);
  EXPECT_TRUE(PumpUntil([&] { return !panels_.ServiceLinkDown() && panels_.IsOnline(0); }));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "PelService is not running: 0x80010108");
  std::int32_t count = -1;
  ASSERT_NE(panels_.GetService(), nullptr);
  panels_.GetService()->MachineCount(&count);
  EXPECT_EQ(count, 1);
}

// Stopped (SIGSTOP): the call that meets it fails after its deadline, the panels show the
// machine offline and nothing else waits; after SIGCONT the machine is online again without
// anything being restarted.
TEST_F(RealServer, StoppedServerComesBackByItselfAfterItContinues) {
  const TCookie before = panels_.GetMachine(0)->cookie;
  ::kill(server_, SIGSTOP);
  const auto stopped = std::chrono::steady_clock::now();
  panels_.UpdateSendButtons(0, true);  // meets the stopped server: waits for its deadline
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(7));
  EXPECT_TRUE(PumpUntil([&] { return panels_.ServiceLinkDown(); }, std::chrono::seconds(2)));
  const auto quick = std::chrono::steady_clock::now();
  for (int round = 0; round < 10; ++round) panels_.UpdateSendButtons(0, true);  // nothing waits
  EXPECT_LT(std::chrono::steady_clock::now() - quick, std::chrono::milliseconds(200));
  EXPECT_FALSE(panels_.IsOnline(0));

  ::kill(server_, SIGCONT);
  EXPECT_TRUE(PumpUntil([&] { return !panels_.ServiceLinkDown() && panels_.IsOnline(0); }));
  EXPECT_EQ(panels_.GetMachine(0)->cookie, before);  // the server kept the connection
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "PelService is not running: 0x8001011F");
}

// Stopped while the program makes no call of its own (networked machines are not polled): the
// link's probe notices it within its interval and a call's deadline, and the event loop never
// waits on the stopped server meanwhile.
TEST_F(RealServer, StoppedServerIsNoticedWhileNothingCallsIt) {
  ::kill(server_, SIGSTOP);
  const auto stopped = std::chrono::steady_clock::now();
  auto last = stopped;
  std::chrono::steady_clock::duration longest{};
  EXPECT_TRUE(PumpUntil(
      [&] {
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, now - last);
        last = now;
        return panels_.ServiceLinkDown();
      },
      std::chrono::seconds(12)));
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(9));
  EXPECT_LT(longest, std::chrono::milliseconds(500));
  EXPECT_FALSE(panels_.IsOnline(0));
  ::kill(server_, SIGCONT);
  // A long stall may cost the machine its line once the server runs again: it is then offline
  // and is connected again, as discovery would do when it finds it.
  EXPECT_TRUE(PumpUntil([&] {
    if (!panels_.ServiceLinkDown() && !panels_.IsOnline(0)) panels_.ReconnectMachine(0);
    return !panels_.ServiceLinkDown() && panels_.IsOnline(0);
  }));
  EXPECT_EQ(boxes_.size(), 1u);
}

}  // namespace
