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
#include <cstdio>
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

// Starts a program with its standard error in `errFile` (and its standard output in `outFile`
// when one is given); the pid, or -1.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& errFile,
                   const std::string& outFile = {}) {
  std::vector<std::string> all = args;
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  if (!outFile.empty())
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
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

// The visible windows whose title is exactly `title`.
inline int CountWindows(const std::string& title, const std::string& errFile) {
  const std::string out = errFile + ".windows";
  const pid_t pid = Spawn(
      {"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}, errFile, out);
  if (pid <= 0) return -1;
  FinishChild(pid, std::chrono::seconds(10));
  int lines = 0;
  if (FILE* f = std::fopen(out.c_str(), "r")) {
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) lines += c == '\n' ? 1 : 0;
    std::fclose(f);
  }
  return lines;
}

// The screenshot program's picture of the display; a null image when it failed.
inline QImage Grab(const std::string& path, const std::string& errFile) {
  const pid_t grab = Spawn({GRAB_PATH, path}, errFile);
  if (grab <= 0 || FinishChild(grab, std::chrono::seconds(10)) != 0) return {};
  return QImage(QString::fromStdString(path));
}

// Screenshots into `path` until one shows what `shows` looks for; that one, or a null image when
// none did within the time.
inline QImage GrabUntil(const std::string& path, const std::string& errFile,
                        const std::function<bool(const QImage&)>& shows,
                        std::chrono::milliseconds limit) {
  QImage image;
  if (WaitUntil(
          [&] {
            image = Grab(path, errFile);
            return !image.isNull() && shows(image);
          },
          limit))
    return image;
  return {};
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

// A discovery agent on loopback announcing `urls`, made known to the programs started next; `gap`
// apart, so that they reach the program on different timer ticks.
inline std::unique_ptr<sim::TSimSlpAgent> AnnounceMachines(
    std::vector<std::string> urls, std::chrono::milliseconds gap = std::chrono::milliseconds(0)) {
  sim::TSlpAgentConfig agentConfig;
  agentConfig.urls = std::move(urls);
  agentConfig.replyGap = gap;
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

// Waits until PelService holds `count` machines and reports each online (idle up to finished).
inline ::testing::AssertionResult MachinesOnline(rpc::PelSrvClient& server, std::int32_t count,
                                                 std::chrono::milliseconds limit) {
  std::int32_t online = 0;
  const bool all = WaitUntil(
      [&] {
        online = 0;
        std::int32_t machines = 0;
        if (FAILED(server.MachineCount(&machines)) || machines != count) return false;
        for (std::int32_t d = 0; d < count; ++d) {
          std::int32_t cookie = 0;
          TSewingState state = SEW_OFFLINE;
          if (SUCCEEDED(server.GetCookie(d, &cookie)) &&
              SUCCEEDED(server.GetState(cookie, &state)) && state >= SEW_IDLE &&
              state <= SEW_COMPLETED)
            ++online;
        }
        return online == count;
      },
      limit);
  if (all) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "machines online: " << online << " of " << count;
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

// The real program in its world, worked through xdotool as an operator would: started, its
// dialogs opened from the menu, keys typed into its windows.
class Program : public World {
 protected:
  void SetUp() override {
    World::SetUp();
    if (IsSkipped()) return;
    if (!std::filesystem::exists("/usr/bin/xdotool")) GTEST_SKIP() << "needs xdotool";
    errors = (world.root() / "hoopdesk.err").string();
    home = world.root() / "home";
    param = home / "param.txt";
  }

  // Starts the running program and waits until its window is on the display.
  ::testing::AssertionResult StartRunning() {
    running = children.Add(Spawn({HOOPDESK_PATH}, errors));
    if (running <= 0) return ::testing::AssertionFailure() << "cannot start hoopdesk";
    if (!XdoTool({"search", "--sync", "--onlyvisible", "--pid", std::to_string(running)}, errors))
      return ::testing::AssertionFailure() << "no window of hoopdesk";
    return ::testing::AssertionSuccess();
  }

  bool WindowShown(const std::string& title) {
    return XdoTool({"search", "--onlyvisible", "--name", "^" + title + "$"}, errors);
  }

  // Opens the dialog of an item of the "Setting" menu by the item's key, the way an operator
  // does. A key can arrive before the menu has opened on a busy machine: then the menu is closed
  // and opened again.
  bool OpenSettingDialog(const std::string& key, const std::string& title) {
    // A loaded machine may open the menu late: each attempt waits longer before the key.
    for (int attempt = 0; attempt < 4; ++attempt) {
      const std::string pause = std::to_string(0.5 + attempt);
      if (!XdoTool({"mousemove", "66", "8", "click", "1", "sleep", pause, "key", key}, errors))
        return false;
      if (WaitUntil([&] { return WindowShown(title); }, std::chrono::seconds(3 + 2 * attempt)))
        return true;
      XdoTool({"key", "Escape"}, errors);
    }
    return false;
  }

  // Gives the keyboard to the window and types keys into it. The keys go as typed at the
  // keyboard, not sent to the window: a key that closes it must not be sent after it to a window
  // that no longer exists. The focus is asked for again when a window only just mapped refused it.
  bool TypeInto(const std::string& title, const std::vector<std::string>& keys) {
    bool focused = false;
    for (int attempt = 0; attempt < 3 && !focused; ++attempt) {
      focused = XdoTool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$",
                         "windowfocus", "--sync"},
                        errors);
      if (!focused) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    if (!focused) return false;
    std::vector<std::string> args = {"sleep", "0.2"};
    for (const std::string& key : keys) args.insert(args.end(), {"key", key, "sleep", "0.3"});
    return XdoTool(args, errors);
  }

  // Answers the box of that title with Return; again when a busy display lost the key.
  bool AnswerBox(const std::string& title) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      TypeInto(title, {"Return"});
      if (WaitUntil([&] { return !WindowShown(title); }, std::chrono::seconds(3))) return true;
    }
    return false;
  }

  // Whether the running program has ended, leaving it for FinishChild to collect.
  bool RunningEnded() {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(running), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == running;
  }

  std::string errors;
  std::filesystem::path home;
  std::filesystem::path param;
  TChildren children;
  pid_t running = -1;
};

}  // namespace e2e
