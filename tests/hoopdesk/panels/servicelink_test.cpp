// The panel manager against a real PelService and a simulated machine: events reach it while
// the program is idle, through the link's descriptor.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "hoopdesk/panels/panelmanager.h"
#include "serverprocess.h"
#include "simhost.h"

namespace {

template <class F>
bool PumpUntil(F done, std::chrono::milliseconds limit = std::chrono::seconds(15)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

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

}  // namespace
