// A newcomer's way to a machine that discovery finds: the simulated machine program in its
// discovery mode, found over loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "hoopdesk/slp/discoverysocket.h"
#include "hoopdesk/slp/slpaddress.h"
#include "scopedenv.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The program started with `args`, its standard output on a pipe; ended with SIGTERM.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = ::fdopen(out[0], "r");
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    if (output_ != nullptr) std::fclose(output_);
  }

  std::string Line() {
    char line[256] = {};
    if (output_ == nullptr || std::fgets(line, sizeof line, output_) == nullptr) return {};
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* output_ = nullptr;
};

TEST(SimMachineProgram, AnswersDiscoveryForTheMachinesItAnnounces) {
  Program program(
      {PELLORA_SIMMACHINE, "--slp", "0", "--announce", "9100:SIM-1", "--announce", "9101"});
  const std::string address = program.Line();
  ASSERT_EQ(address.rfind("127.0.0.1:", 0), 0u) << address;
  const ScopedEnv env(slp::kSlpAddressVariable, address.c_str());

  slp::TDiscoverySocket socket;
  ASSERT_TRUE(socket.SendServiceRequest());
  std::vector<std::string> found;
  slp::TFoundMachine entry;
  for (auto until = std::chrono::steady_clock::now() + 5s;
       found.size() < 2 && std::chrono::steady_clock::now() < until;
       std::this_thread::sleep_for(2ms)) {
    if (socket.ReceiveServiceReplies(entry)) {
      EXPECT_EQ(entry.address, htonl(INADDR_LOOPBACK));
      found.push_back(std::to_string(ntohs(entry.port)) + " " + entry.name + " " + entry.mac);
    }
  }
  EXPECT_EQ(found, (std::vector<std::string>{"9100 SIM-1 02:00:00:00:23:8c",
                                             "9101 SIM-9101 02:00:00:00:23:8d"}));
}

}  // namespace
