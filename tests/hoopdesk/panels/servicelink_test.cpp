// The panel manager against a real PelService and a simulated machine: events reach it while
// the program is idle, through the link's descriptor.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/pumpuntil.h"
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

TEST(ServiceLink, KilledServerShowsOneBoxAndEveryMachineGoesOffline) {
  ServerWorld world;
  const pid_t server = world.Start({});
  ASSERT_GT(server, 0);
  ASSERT_NE(world.Attach(), nullptr) << world.Stderr(1);
  SimHost machine(sim::TSimConfig{});
  TPanelManager panels;
  ASSERT_TRUE(panels.ConnectService());
  ASSERT_TRUE(panels.AddMachine(0, machine.ConnInfo(), "sim"));
  ASSERT_TRUE(PumpUntil([&] { return panels.IsOnline(0); }));

  std::vector<std::string> boxes;
  platform::SetMessageBoxHandler([&](platform::MessageBoxKind, const std::string&,
                                     const std::string& text) { boxes.push_back(text); });
  ::kill(server, SIGKILL);
  world.WaitExit(server);
  // The poll timer and the panels keep asking while the operator reads the box.
  for (int round = 0; round < 20; ++round) {
    panels.UpdateSendButtons(0, true);
    panels.ReleaseIdleMachines(false);
    QCoreApplication::processEvents();
  }
  platform::SetMessageBoxHandler({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("HRCHECK: IPelSrv::GetState failed: ", 0), 0u) << boxes[0];
  EXPECT_TRUE(panels.ServiceLinkDown());
  EXPECT_FALSE(panels.CanSend(0));
}

}  // namespace
