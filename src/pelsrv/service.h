// The PelService process: single instance, hidden window, connection manager, the server
// object and the interface clients reach it through, and the event loop that runs them all.
#pragma once

#include <string>

struct ServiceOptions {
  // Started for clients ("/Automation"): no object of its own; ends with its last client.
  bool automation = false;
};

// Runs the service until it is told to end; returns the process's exit code.
int RunService(const ServiceOptions& options);
