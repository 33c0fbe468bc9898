// A shop of simulated machines on this computer, for trying Hoopdesk without a machine: each
// machine listens for the server on its own TCP port of 127.0.0.1, and one discovery agent
// answers Hoopdesk's service requests for all of them. The machines sew what they receive in a
// few seconds, with progress and completion; the first one stops with an alarm half way through
// every third design, which its operator clears at the machine some seconds later.
//
//   pellora-simshop [--machines N] [--slp PORT] [--sew-seconds S] [--alarm-every N]
//
// Prints the value for PELLORA_SLP_ADDRESS and each machine, then runs until SIGINT or SIGTERM.
#include <signal.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sim/simline.h"
#include "sim/simshopfloor.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace {

int Usage() {
  std::fputs(
      "usage: pellora-simshop [--machines N (1 to 16)] [--slp PORT] [--sew-seconds S (1 to 600)]"
      " [--alarm-every N (0: never)]\n",
      stderr);
  return 2;
}

constexpr std::chrono::milliseconds kSewTick{100};
constexpr std::chrono::milliseconds kLookEvery{100};

}  // namespace

int main(int argc, char** argv) {
  int count = 2;
  long slpPort = 0;
  long sewSeconds = 5;
  long alarmEvery = 3;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (std::strcmp(argv[i - 1], "--machines") == 0) {
      count = std::atoi(value);
    } else if (std::strcmp(argv[i - 1], "--slp") == 0) {
      slpPort = std::strtol(value, nullptr, 10);
    } else if (std::strcmp(argv[i - 1], "--sew-seconds") == 0) {
      sewSeconds = std::strtol(value, nullptr, 10);
    } else if (std::strcmp(argv[i - 1], "--alarm-every") == 0) {
      alarmEvery = std::strtol(value, nullptr, 10);
    } else {
      return Usage();
    }
  }
  if (count < 1 || count > 16 || slpPort < 0 || slpPort > 65535 || sewSeconds < 1 ||
      sewSeconds > 600 || alarmEvery < 0 || alarmEvery > 1000)
    return Usage();

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before any thread starts

  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  sim::TLineTiming timing;
  timing.keepAlive = std::chrono::seconds(1);
  timing.sewTick = kSewTick;
  std::vector<std::unique_ptr<sim::TSimTcpMachine>> machines;
  std::vector<TShopFloorMachine> floor;
  sim::TSlpAgentConfig agentConfig;
  agentConfig.port = static_cast<std::uint16_t>(slpPort);
  for (int k = 1; k <= count; ++k) {
    machines.push_back(std::make_unique<sim::TSimTcpMachine>(config, timing));
    floor.emplace_back(TShopFloorConfig{std::chrono::seconds(sewSeconds), kSewTick,
                                        k == 1 ? static_cast<int>(alarmEvery) : 0});
    char mac[18];
    std::snprintf(mac, sizeof mac, "02:00:00:00:00:%02x", k);
    agentConfig.urls.push_back(
        sim::MachineUrl("127.0.0.1", machines.back()->Port(), "SIM-" + std::to_string(k), mac));
  }
  sim::TSimSlpAgent agent(agentConfig);
  if (!agent.Ok()) {
    std::fputs("pellora-simshop: the discovery port is not free\n", stderr);
    return 1;
  }
  std::printf("PELLORA_SLP_ADDRESS=%s\n", agent.Address().c_str());
  for (int k = 0; k < count; ++k)
    std::printf("SIM-%d on 127.0.0.1:%u\n", k + 1, static_cast<unsigned>(machines[k]->Port()));
  std::fflush(stdout);

  const timespec look{0, std::chrono::duration_cast<std::chrono::nanoseconds>(kLookEvery).count()};
  while (sigtimedwait(&stop, nullptr, &look) < 0) {
    for (int k = 0; k < count; ++k)
      machines[k]->Call([&](sim::TSimMachine& m) { floor[k].Look(m); });
  }
  return 0;
}
