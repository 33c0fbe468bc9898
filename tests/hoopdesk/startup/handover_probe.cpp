// A start of the program reduced to its single-instance step: hands its arguments to a running
// program (exit code 1), fails to (exit code 2) or finds none (exit code 3, so a test tells them
// apart). Warnings and the failure go to standard error.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "hoopdesk/startup/singleinstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  TSingleInstance instance(TSingleInstance::DefaultPaths());
  const TSingleInstance::TStartResult result = instance.Start(args);
  for (const std::string& warning : result.warnings) std::fprintf(stderr, "%s\n", warning.c_str());
  switch (result.role) {
    case TSingleInstance::TRole::HandedOver:
      return 1;
    case TSingleInstance::TRole::HandOverFailed:
      std::fprintf(stderr, "failed: %s\n", result.failure.c_str());
      return 2;
    case TSingleInstance::TRole::Running:
      break;
  }
  return 3;
}
