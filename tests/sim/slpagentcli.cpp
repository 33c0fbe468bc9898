#include "sim/slpagentcli.h"

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "hoopdesk/slp/slpaddress.h"
#include "sim/simslpagent.h"
#include "sim/slpagentwire.h"

namespace sim {

namespace {

int Usage() {
  std::fputs("usage: pellora-simmachine --slp PORT --announce TCPPORT[:NAME[:MAC]] ...\n", stderr);
  return 2;
}

// "TCPPORT[:NAME[:MAC]]" as the URL of a machine on 127.0.0.1; a missing name is "SIM-<port>",
// a missing MAC is made from the port.
std::string AnnouncedUrl(std::string_view text) {
  const std::size_t nameStart = text.find(':');
  const auto port = slp::ParsePort(text.substr(0, nameStart));
  if (!port) return {};
  std::string name = "SIM-" + std::to_string(*port);
  char mac[18];
  std::snprintf(mac, sizeof mac, "02:00:00:00:%02x:%02x", *port >> 8, *port & 0xFF);
  std::string macText = mac;
  if (nameStart != std::string_view::npos) {
    const std::string_view rest = text.substr(nameStart + 1);
    const std::size_t macStart = rest.find(':');
    name = rest.substr(0, macStart);
    if (macStart != std::string_view::npos) macText = rest.substr(macStart + 1);
  }
  return MachineUrl("127.0.0.1", *port, name, macText);
}

}  // namespace

bool WantsSlpAgent(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--slp") == 0) return true;
  }
  return false;
}

int RunSlpAgent(int argc, char** argv) {
  TSlpAgentConfig config;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string_view value = argv[++i];
    if (arg == "--slp") {
      if (value == "0") continue;
      const auto port = slp::ParsePort(value);
      if (!port) return Usage();
      config.port = *port;
    } else if (arg == "--announce") {
      std::string url = AnnouncedUrl(value);
      if (url.empty()) return Usage();
      config.urls.push_back(std::move(url));
    } else {
      return Usage();
    }
  }

  // The agent's thread must not take the signals that end the program.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  const TSimSlpAgent agent(std::move(config));
  if (!agent.Ok()) {
    std::fputs("pellora-simmachine: cannot listen for service requests\n", stderr);
    return 1;
  }
  std::printf("%s\n", agent.Address().c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}

}  // namespace sim
