// pelservice: the machine server. "/RegServer" and "/UnregServer" register and remove the
// server class and end; "/Automation" (as the first argument) starts it for a client, which
// then ends with its last client (or after a grace period when none attaches); without it the
// program runs until IPelSrv::Exit.
#include <malloc.h>

#include <QCoreApplication>
#include <QString>
#include <iostream>

#include "pelsrv/server/service.h"
#include "rpc/registration.h"

namespace {

// "/Name" or "-Name", in any case; "" for an argument that is no switch.
QString SwitchName(const QString& arg) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return {};
  return arg.mid(1).toUpper();
}

}  // namespace

int main(int argc, char** argv) {
  // Designs of megabytes arrive, are parsed and go out block by block, one send after another:
  // the memory of large blocks is kept for the next instead of going back to the kernel, whose
  // fresh pages would each cost a fault when first written.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const std::string program = QCoreApplication::applicationFilePath().toStdString();

  bool automation = false;
  bool embedding = false;
  for (const QString& arg : args) {
    const QString name = SwitchName(arg);
    if (name == "REGSERVER") {
      if (rpc::RegisterServer(program)) return 0;
      std::cerr << "Failed to register PelService." << std::endl;
      return 1;
    }
    if (name == "UNREGSERVER") {
      if (rpc::UnregisterServer()) return 0;
      std::cerr << "Failed to remove the registration of PelService." << std::endl;
      return 1;
    }
    embedding = embedding || name == "EMBEDDING";
    automation = automation || name == "AUTOMATION";
  }
  if (!automation && !embedding) rpc::RegisterServer(program);

  ServiceOptions options;
  options.automation =
      !args.isEmpty() && args.first().compare("/Automation", Qt::CaseInsensitive) == 0;
  options.automationGrace = AutomationGraceFromEnvironment(options.automationGrace);
  return RunService(options);
}
