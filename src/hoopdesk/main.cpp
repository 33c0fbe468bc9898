// Hoopdesk, the desktop program. One copy runs per user: a second start hands its files to the
// running one and ends.
//
// Exit codes:
//   0  a normal run (also after SIGTERM, SIGHUP or SIGINT, which close the window like "Exit")
//   1  a second start whose files reached the running program
//   2  a second start whose files did not reach it; it says why on standard error and in a
//      message box (it may have been started from a file manager, without a terminal)
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/noticebox.h"
#include "hoopdesk/mainwindow/workfolder.h"
#include "hoopdesk/startup/handoverdeferral.h"
#include "hoopdesk/startup/singleinstance.h"
#include "hoopdesk/startup/terminationsignals.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/datafolder.h"
#include "platform/messages.h"
#include "rpc/registration.h"

namespace {

constexpr int kExitRun = 0;
constexpr int kExitHandedOver = 1;
constexpr int kExitHandOverFailed = 2;
// Nobody may be there to answer a failed second start's box.
constexpr int kFailureBoxMs = 60000;

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

void ReportHandOverFailure(const std::string& failure) {
  const std::string text = "The files were not handed to the running Hoopdesk: " + failure;
  std::fprintf(stderr, "hoopdesk: %s\n", text.c_str());
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Hoopdesk: hand-over failed"),
                  QString::fromStdString(text), QMessageBox::Ok);
  QTimer::singleShot(kFailureBoxMs, &box, &QMessageBox::reject);
  box.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (IsRegistrationSwitch(args)) return kExitRun;

  const TSingleInstance::TPaths paths = TSingleInstance::DefaultPaths();
  TSingleInstance instance(paths);
  const TSingleInstance::TStartResult start = instance.Start(args);
  for (const std::string& warning : start.warnings)
    std::fprintf(stderr, "hoopdesk: %s\n", warning.c_str());
  if (start.role == TSingleInstance::TRole::HandedOver) return kExitHandedOver;
  if (start.role == TSingleInstance::TRole::HandOverFailed) {
    ReportHandOverFailure(start.failure);
    return kExitHandOverFailed;
  }

  // Before the window exists, so a signal during its construction closes it once it is shown.
  TTerminationSignals termination;
  if (!termination.IsWatching())
    std::fprintf(stderr, "hoopdesk: SIGTERM, SIGHUP and SIGINT end the program without saving\n");

  platform::SetMessageTextSource(ServiceMessageText);
  platform::SetMessageBoxHandler(ShowBox);
  platform::SetNoticeHandler(ShowNoticeBox);
  platform::SetNoticeWithdrawHandler(CloseNoticeBox);

  TPelloraOptions options;
  options.settingsPath = rpc::SettingsFilePath();
  options.programFolder = platform::DataFolder();
  options.workFolder = DefaultWorkFolder();
  options.paramFile = paths.paramFile;
  options.args = args;
  options.connector = ConnectPelService;
  TFPellora window(std::move(options));

  THandOverDeferral handOvers;
  QObject::connect(&instance, &TSingleInstance::activateRequested, &handOvers,
                   &THandOverDeferral::Activate);
  QObject::connect(&instance, &TSingleInstance::paramFileRequested, &handOvers,
                   &THandOverDeferral::ParamFile);
  // Released only while no dialog runs: handled at once, so that no click queued meanwhile can
  // open one first.
  QObject::connect(&handOvers, &THandOverDeferral::activateReady, &window,
                   &TFPellora::ActivateForHandOver);
  QObject::connect(&handOvers, &THandOverDeferral::paramFileReady, &window,
                   &TFPellora::ReadParamFile);
  QObject::connect(&termination, &TTerminationSignals::terminationRequested, &window,
                   [&window] { window.close(); });
  // The window's close ends the program, also when it came from inside a dialog's event loop.
  QObject::connect(&window, &TFPellora::closed, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);

  window.show();
  app.exec();
  return kExitRun;
}
