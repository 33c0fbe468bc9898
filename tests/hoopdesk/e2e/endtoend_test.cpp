// The real hoopdesk on a virtual X server: it starts PelService through its registration, finds
// two simulated machines on loopback by discovery and connects them; a second start hands a
// design file over and ends with exit code 1; a screenshot shows the window.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "rpc/registration.h"
#include "serverprocess.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"
#include "sim/simline.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// Starts a program with its standard error in `errFile`; the pid, or -1.
pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile) {
  std::vector<std::string> all = args;
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int WaitExitCode(pid_t pid, std::chrono::milliseconds limit) {
  int code = -1;
  WaitUntil(
      [&] {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) != pid) return false;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
      },
      limit);
  return code;
}

bool WriteDesign(const std::filesystem::path& path) {
  TStitchItem d;
  d.Points.push_back({sfStart, 0, 0});
  for (int s = 0; s <= 72; ++s) {
    const double a = 6.2831853 * s / 72;
    const int r = s % 2 == 0 ? 400 : 160;
    d.Points.push_back(
        {sfStitch, static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a))});
  }
  d.Points.push_back({sfEnd, 0, 0});
  d.SetColorCount();
  return TStitchFormatMarlow::Save(path.string(), d, nullptr);
}

TEST(HoopdeskEndToEnd, DiscoversTwoMachinesAndTakesAHandOver) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run)";
  ServerWorld world;
  const std::filesystem::path root = world.root();
  ::setenv("HOME", root.c_str(), 1);
  ::unsetenv("QT_QPA_PLATFORM");
  ASSERT_TRUE(rpc::RegisterServer(PELSERVICE_PATH));

  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  sim::TSimTcpMachine first(config, {std::chrono::milliseconds(1000)});
  sim::TSimTcpMachine second(config, {std::chrono::milliseconds(1000)});
  sim::TSlpAgentConfig agentConfig;
  agentConfig.urls = {sim::MachineUrl("127.0.0.1", first.Port(), "SIM-1", "02:00:00:00:00:01"),
                      sim::MachineUrl("127.0.0.1", second.Port(), "SIM-2", "02:00:00:00:00:02")};
  sim::TSimSlpAgent agent(agentConfig);
  ASSERT_TRUE(agent.Ok());
  ::setenv("PELLORA_SLP_ADDRESS", agent.Address().c_str(), 1);

  const std::string errors = (root / "hoopdesk.err").string();
  const pid_t running = Spawn({HOOPDESK_PATH}, errors);
  ASSERT_GT(running, 0);
  std::unique_ptr<rpc::PelSrvClient> server = world.Attach(30s);
  ASSERT_NE(server, nullptr) << "hoopdesk did not start PelService";
  std::int32_t machines = 0;
  EXPECT_TRUE(
      WaitUntil([&] { return SUCCEEDED(server->MachineCount(&machines)) && machines == 2; }, 30s))
      << "machines connected: " << machines;
  EXPECT_TRUE(first.WaitFor([](sim::TSimMachine& m) { return !m.Commands().empty(); }, 10s));

  const std::filesystem::path design = root / "star.10o";
  ASSERT_TRUE(WriteDesign(design));
  const pid_t second_start = Spawn({HOOPDESK_PATH, design.string() + "/1"}, errors);
  EXPECT_EQ(WaitExitCode(second_start, 30s), 1) << "a hand-over ends with exit code 1";
  const std::filesystem::path param = root / "home" / "param.txt";
  EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(param); }, 20s))
      << "the running program did not take the hand-over";

  std::this_thread::sleep_for(1500ms);
  const std::string shot = std::string(PELLORA_SCREENSHOT_DIR) + "/hoopdesk_end_to_end.png";
  std::filesystem::create_directories(PELLORA_SCREENSHOT_DIR);
  const pid_t grab = Spawn({GRAB_PATH, shot}, errors);
  EXPECT_EQ(WaitExitCode(grab, 20s), 0);

  ::kill(running, SIGTERM);
  EXPECT_GE(WaitExitCode(running, 20s), 0);
  server.reset();
}

}  // namespace
