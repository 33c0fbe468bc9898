// A shop of simulated machines on this computer, for trying Hoopdesk without a machine: each
// machine listens for the server on its own TCP port of 127.0.0.1, and one discovery agent
// answers Hoopdesk's service requests for all of them.
//
//   pellora-simshop [--machines N] [--slp PORT]
//
// Prints the value for PELLORA_SLP_ADDRESS and each machine, then runs until SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sim/simline.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace {

int Usage() {
  std::fputs("usage: pellora-simshop [--machines N (1 to 16)] [--slp PORT]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 2;
  long slpPort = 0;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (std::strcmp(argv[i - 1], "--machines") == 0) {
      count = std::atoi(value);
    } else if (std::strcmp(argv[i - 1], "--slp") == 0) {
      slpPort = std::strtol(value, nullptr, 10);
    } else {
      return Usage();
    }
  }
  if (count < 1 || count > 16 || slpPort < 0 || slpPort > 65535) return Usage();

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before any thread starts

  sim::TSimConfig config;
  config.wire = sim::Wire::kTcp;
  sim::TLineTiming timing;
  timing.keepAlive = std::chrono::seconds(1);
  std::vector<std::unique_ptr<sim::TSimTcpMachine>> machines;
  sim::TSlpAgentConfig agentConfig;
  agentConfig.port = static_cast<std::uint16_t>(slpPort);
  for (int k = 1; k <= count; ++k) {
    machines.push_back(std::make_unique<sim::TSimTcpMachine>(config, timing));
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

  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
