// What the end-to-end tests of the real hoopdesk share: starting and ending child processes,
// xdotool and screenshots on the virtual X display, designs and simulated machines to hand over,
// and a private world (home, settings, PelService registered) for each test.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <chrono>
#include <cmath>
#include <cstdlib>
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

namespace e2e {

inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// Starts a program with its standard error in `errFile`; the pid, or -1.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile) {
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

inline int WaitExitCode(pid_t pid, std::chrono::milliseconds limit) {
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

// The exit code of a child, or -1 when it did not end within the time: then it is killed.
inline int FinishChild(pid_t pid, std::chrono::milliseconds limit) {
  const int code = WaitExitCode(pid, limit);
  if (code < 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  return code;
}

// Kills the children still running when a test ends, also after a failed assertion.
class TChildren {
 public:
  TChildren() = default;
  TChildren(const TChildren&) = delete;
  TChildren& operator=(const TChildren&) = delete;
  ~TChildren() {
    for (pid_t pid : pids_)
      if (::waitpid(pid, nullptr, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
      }
  }
  pid_t Add(pid_t pid) {
    if (pid > 0) pids_.push_back(pid);
    return pid;
  }

 private:
  std::vector<pid_t> pids_;
};

// Runs xdotool with args; true when it succeeded.
inline bool XdoTool(const std::vector<std::string>& args, const std::string& errFile) {
  std::vector<std::string> all = {"/usr/bin/xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  const pid_t pid = Spawn(all, errFile);
  return pid > 0 && FinishChild(pid, std::chrono::seconds(10)) == 0;
}

// The screenshot program's picture of the display; a null image when it failed.
inline QImage Grab(const std::string& path, const std::string& errFile) {
  const pid_t grab = Spawn({GRAB_PATH, path}, errFile);
  if (grab <= 0 || FinishChild(grab, std::chrono::seconds(10)) != 0) return {};
  return QImage(QString::fromStdString(path));
}

// A star of 72 stitches between the radii `outer` and 160 (in 0.1 mm).
inline bool WriteDesign(const std::filesystem::path& path, int outer = 400) {
  TStitchItem d;
  d.Points.push_back({sfStart, 0, 0});
  for (int s = 0; s <= 72; ++s) {
    const double a = 6.2831853 * s / 72;
    const int r = s % 2 == 0 ? outer : 160;
    d.Points.push_back(
        {sfStitch, static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a))});
  }
  d.Points.push_back({sfEnd, 0, 0});
  d.SetColorCount();
  return TStitchFormatMarlow::Save(path.string(), d, nullptr);
}

// A discovery agent on loopback announcing `urls`, made known to the programs started next.
inline std::unique_ptr<sim::TSimSlpAgent> AnnounceMachines(std::vector<std::string> urls) {
  sim::TSlpAgentConfig agentConfig;
  agentConfig.urls = std::move(urls);
  auto agent = std::make_unique<sim::TSimSlpAgent>(agentConfig);
  if (agent->Ok()) ::setenv("PELLORA_SLP_ADDRESS", agent->Address().c_str(), 1);
  return agent;
}

// Two normal simulated machines on TCP loopback, announced by discovery as SIM-1 and SIM-2.
struct TTwoMachines {
  static sim::TSimConfig TcpConfig() {
    sim::TSimConfig config;
    config.wire = sim::Wire::kTcp;
    return config;
  }

  sim::TSimTcpMachine first{TcpConfig(), {std::chrono::milliseconds(1000)}};
  sim::TSimTcpMachine second{TcpConfig(), {std::chrono::milliseconds(1000)}};
  std::unique_ptr<sim::TSimSlpAgent> agent =
      AnnounceMachines({sim::MachineUrl("127.0.0.1", first.Port(), "SIM-1", "02:00:00:00:00:01"),
                        sim::MachineUrl("127.0.0.1", second.Port(), "SIM-2", "02:00:00:00:00:02")});
};

// Waits until PelService has `count` machines connected.
inline ::testing::AssertionResult MachinesConnected(rpc::PelSrvClient& server, std::int32_t count,
                                                    std::chrono::milliseconds limit) {
  std::int32_t machines = 0;
  if (WaitUntil([&] { return SUCCEEDED(server.MachineCount(&machines)) && machines == count; },
                limit))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "machines connected: " << machines;
}

// A private world for the real program on the X display: its home inside, PelService registered
// for it to start.
class World : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run)";
    ::setenv("HOME", world.root().c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(rpc::RegisterServer(PELSERVICE_PATH));
  }

  ServerWorld world;
};

}  // namespace e2e
