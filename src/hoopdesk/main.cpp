// Hoopdesk, the desktop program. One copy runs per user: a second start hands its files to the
// running one and ends with exit code 1; a normal run ends with 0.
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <cstdio>
#include <string>
#include <vector>

#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/workfolder.h"
#include "hoopdesk/startup/singleinstance.h"
#include "pelsrv/server/servicemessages.h"
#include "platform/datafolder.h"
#include "platform/messages.h"
#include "rpc/registration.h"

namespace {

// The registration switches of the original program's COM module: Hoopdesk serves no classes
// of its own, so they only end the program.
bool IsRegistrationSwitch(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  QString arg = QString::fromStdString(args.front());
  if (!arg.startsWith('/') && !arg.startsWith('-')) return false;
  arg = arg.mid(1);
  return arg.compare("RegServer", Qt::CaseInsensitive) == 0 ||
         arg.compare("UnregServer", Qt::CaseInsensitive) == 0;
}

void ShowBox(platform::MessageBoxKind kind, const std::string& caption, const std::string& text) {
  const QString title =
      caption.empty() ? QStringLiteral("Hoopdesk") : QString::fromStdString(caption);
  if (kind == platform::MessageBoxKind::Error) {
    QMessageBox::critical(nullptr, title, QString::fromStdString(text));
  } else {
    QMessageBox::warning(nullptr, title, QString::fromStdString(text));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (IsRegistrationSwitch(args)) return 0;

  const TSingleInstance::TPaths paths = TSingleInstance::DefaultPaths();
  TSingleInstance instance(paths);
  std::string warning;
  if (instance.Start(args, &warning) != TSingleInstance::TRole::Running) return 1;
  if (!warning.empty()) std::fprintf(stderr, "hoopdesk: %s\n", warning.c_str());

  platform::SetMessageTextSource(ServiceMessageText);
  platform::SetMessageBoxHandler(ShowBox);

  TPelloraOptions options;
  options.settingsPath = rpc::SettingsFilePath();
  options.programFolder = platform::DataFolder();
  options.workFolder = DefaultWorkFolder();
  options.paramFile = paths.paramFile;
  options.args = args;
  options.connector = ConnectPelService;
  TFPellora window(std::move(options));
  QObject::connect(&instance, &TSingleInstance::activateRequested, &window,
                   &TFPellora::PostActivate);
  QObject::connect(&instance, &TSingleInstance::paramFileRequested, &window,
                   &TFPellora::PostParamFile);
  window.show();
  app.exec();
  return 0;
}
