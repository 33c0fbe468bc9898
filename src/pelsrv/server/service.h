// The PelService process: single instance, hidden window, connection manager, the server
// object and the interface clients reach it through, and the event loop that runs them all.
#pragma once

#include <chrono>
#include <string>

struct ServiceOptions {
  // Started for clients ("/Automation"): no object of its own; ends with its last client.
  bool automation = false;
  // How long a server started for clients waits for its first client: one that never comes
  // (it died before attaching) must not leave the server running for good.
  std::chrono::milliseconds automationGrace{30000};
};

// The grace period named by $PELLORA_AUTOMATION_GRACE_MS (whole milliseconds, at most an hour);
// fallback when it is unset or not such a number.
std::chrono::milliseconds AutomationGraceFromEnvironment(std::chrono::milliseconds fallback);

// Runs the service until it is told to end; returns the process's exit code.
int RunService(const ServiceOptions& options);
