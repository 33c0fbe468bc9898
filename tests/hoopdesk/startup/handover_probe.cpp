// A start of the program reduced to its single-instance step: hands its arguments to a running
// program (exit code 1) or finds none (exit code 3, so a test tells the two apart).
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "hoopdesk/startup/singleinstance.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  TSingleInstance instance(TSingleInstance::DefaultPaths());
  std::string warning;
  const TSingleInstance::TRole role = instance.Start(args, &warning);
  if (!warning.empty()) std::fprintf(stderr, "%s\n", warning.c_str());
  return role == TSingleInstance::TRole::Running ? 3 : 1;
}
