// The simulated sewing machine as a program: the server's bytes arrive on standard input, the
// machine's replies leave on standard output, so any line (a TCP socket, a pseudo-terminal)
// can be joined to it with a small relay.
//
//   pellora-simmachine [--persona NAME] [--wire serial|tcp] [--type N] [--needles N]
//                      [--sync] [--at-block N] [--alarm N] [--held NAME]
//                      [--enquire] [--answer-probe] [--offer] [--sew] [--keepalive]
//
// --enquire sends 'E' at start, --answer-probe answers the modem test "AT" with 'E', --offer
// announces a transfer after the first file-name answer, --sew sews a received design at once,
// --keepalive sends 0x16 every second.
//
//   pellora-simmachine --slp PORT --announce TCPPORT[:NAME[:MAC]] ...
//
// answers discovery for machines on 127.0.0.1 instead (sim/slpagentcli.h).
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "sim/simmachine.h"
#include "sim/slpagentcli.h"

namespace {

class TStdoutPipe final : public sim::IBytePipe {
 public:
  void Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
      if (n <= 0) std::exit(0);  // the line is gone
      done += static_cast<std::size_t>(n);
    }
  }
};

const std::map<std::string, sim::Persona> kPersonas = {
    {"normal", sim::Persona::kNormal},
    {"busy", sim::Persona::kBusy},
    {"rejecting", sim::Persona::kRejecting},
    {"memory-full", sim::Persona::kMemoryFull},
    {"alarm", sim::Persona::kAlarm},
    {"block-again", sim::Persona::kBlockAgain},
    {"stops-pulling", sim::Persona::kStopsPulling},
    {"ends-early", sim::Persona::kEndsEarly},
    {"truncated", sim::Persona::kTruncated},
    {"silent", sim::Persona::kSilent},
    {"modem", sim::Persona::kModem},
    {"sync-group", sim::Persona::kSyncGroup},
};

int Usage() {
  std::fputs(
      "usage: pellora-simmachine [--persona NAME] [--wire serial|tcp] [--type N]\n"
      "       [--needles N] [--sync] [--at-block N] [--alarm N] [--held NAME]\n"
      "       [--enquire] [--answer-probe] [--offer] [--sew] [--keepalive]\n"
      "   or: pellora-simmachine --slp PORT --announce TCPPORT[:NAME[:MAC]] ...\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (sim::WantsSlpAgent(argc, argv)) return sim::RunSlpAgent(argc, argv);
  sim::TSimConfig config;
  bool enquire = false, offer = false, sew = false, keepalive = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--persona" && hasValue) {
      const auto it = kPersonas.find(argv[++i]);
      if (it == kPersonas.end()) return Usage();
      config.persona = it->second;
    } else if (arg == "--wire" && hasValue) {
      config.wire = std::strcmp(argv[++i], "tcp") == 0 ? sim::Wire::kTcp : sim::Wire::kSerial;
    } else if (arg == "--type" && hasValue) {
      config.machineType = static_cast<std::uint8_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--needles" && hasValue) {
      config.needleCount = static_cast<std::uint8_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--at-block" && hasValue) {
      config.atBlock = static_cast<std::int32_t>(std::strtol(argv[++i], nullptr, 0));
    } else if (arg == "--alarm" && hasValue) {
      config.alarmCode = static_cast<std::uint8_t>(std::strtoul(argv[++i], nullptr, 0));
    } else if (arg == "--held" && hasValue) {
      config.heldName = argv[++i];
    } else if (arg == "--sync") {
      config.syncFlag = 1;
    } else if (arg == "--enquire") {
      enquire = true;
    } else if (arg == "--answer-probe") {
      config.enquiresOnProbe = true;
    } else if (arg == "--offer") {
      offer = true;
    } else if (arg == "--sew") {
      sew = true;
    } else if (arg == "--keepalive") {
      keepalive = true;
    } else {
      return Usage();
    }
  }

  TStdoutPipe line;
  sim::TSimMachine machine(config, line);
  if (enquire) machine.Enquire();
  bool offered = false;
  bool sewingStarted = false;
  int quietTicks = 0;
  std::uint8_t buffer[4096];
  for (;;) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&in, 1, 100);
    if (ready > 0) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return 0;
      machine.Receive({buffer, static_cast<std::size_t>(n)});
    }
    if (offer && !offered && !machine.Commands().empty() && machine.CommandCodes().back() == 0xE0) {
      offered = true;
      machine.OfferTransfer();
    }
    if (sew && !sewingStarted && machine.TransferComplete() && !machine.HeldName().empty()) {
      sewingStarted = true;
      machine.StartSewing();
    }
    machine.Tick();
    if (keepalive && ++quietTicks >= 10) {
      quietTicks = 0;
      machine.SendKeepAlive();
    }
  }
}
