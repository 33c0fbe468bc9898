// The simulated machine program's discovery mode: "pellora-simmachine --slp PORT --announce
// TCPPORT[:NAME[:MAC]] ..." answers service requests on 127.0.0.1:PORT (0: any free port) for
// each announced machine, prints the address it listens on and runs until SIGINT or SIGTERM.
#pragma once

namespace sim {

// True when the arguments ask for discovery mode.
bool WantsSlpAgent(int argc, char** argv);
// Runs discovery mode; the process's exit code.
int RunSlpAgent(int argc, char** argv);

}  // namespace sim
