#include "pelsrv/server/service.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "pelsrv/lines/peldispatch.h"
#include "pelsrv/lines/pelmain.h"
#include "pelsrv/server/dirlist.h"
#include "pelsrv/server/hiddenwindow.h"
#include "pelsrv/server/pelsrvimpl.h"
#include "pelsrvapi/servicemessages.h"
#include "platform/datafolder.h"
#include "platform/messages.h"
#include "rpc/objecthost.h"
#include "rpc/publication.h"
#include "rpc/registration.h"
#include "rpc/rpcserver.h"
#include "rpc/sinklist.h"
#include "shared/getserial.h"

Q_LOGGING_CATEGORY(lcService, "pellora.service")

namespace {

constexpr const char* kFailedToStart = "Failed to start PelService.\n";

void Fail(const std::string& reason) { std::cerr << kFailedToStart << reason << std::endl; }

// "CurrentDir" of the settings store, read once at start; a value of another type is none.
std::string CurrentDirSetting() {
  QSettings settings(rpc::SettingsFilePath(), QSettings::IniFormat);
  const QVariant value = settings.value("CurrentDir");
  return value.typeId() == QMetaType::QString ? value.toString().toStdString() : std::string();
}

// Ends the event loop on SIGINT and SIGTERM, so a server stopped from its terminal withdraws
// its publication. The signals are blocked before any thread starts, so only this reads them.
class SignalWatch {
 public:
  SignalWatch() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      signalfd_siginfo info;
      while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      }
      QCoreApplication::exit(0);
    });
  }
  ~SignalWatch() {
    notifier_.reset();
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::chrono::milliseconds AutomationGraceFromEnvironment(std::chrono::milliseconds fallback) {
  constexpr long long kMaxGraceMs = 3600LL * 1000;
  const char* text = std::getenv("PELLORA_AUTOMATION_GRACE_MS");
  if (!text || !*text) return fallback;
  long long value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return fallback;
    value = value * 10 + (*p - '0');
    if (value > kMaxGraceMs) return fallback;
  }
  return std::chrono::milliseconds(value);
}

int RunService(const ServiceOptions& options) {
  ::signal(SIGPIPE, SIG_IGN);
  SignalWatch signalWatch;

  std::unique_ptr<rpc::Publication> publication;
  std::string error;
  switch (rpc::Publication::TryClaim(&publication, &error)) {
    case rpc::Publication::Claim::kClaimed:
      break;
    case rpc::Publication::Claim::kAlreadyRunning:
      Fail("PelService is already running.");
      return 0;
    case rpc::Publication::Claim::kFailed:
      Fail(error);
      return 1;
  }

  platform::SetMessageTextSource(ServiceMessageText);
  SetSerialFolder(platform::DataPath("SendData").string() + "/");

  HiddenWindow window;
  TPelMain pelMain(window.Id());
  TPelDispatch dispatch(pelMain);
  window.SetHandler([&dispatch](const platform::Message& m) { dispatch.Dispatch(m); });

  TDirList dirs;
  dirs.SetDirectory(CurrentDirSetting());
  rpc::SinkList sinks;

  rpc::ObjectHost host(
      [&]() -> std::unique_ptr<IPelSrvObject> {
        return std::make_unique<TPelSrvImpl>(pelMain, dirs, sinks,
                                             [&window] { window.PostClose(); });
      },
      [&window] { window.PostClose(); });
  rpc::RpcServer server(host, [&window](std::function<void()> f) { window.Invoke(std::move(f)); });
  const auto socketPath = rpc::ServerSocketPath();
  if (!server.Listen(socketPath, &error) ||
      !publication->Publish({socketPath, ::getpid()}, &error)) {
    Fail(error);
    return 1;
  }
  // Started by hand, the program holds a reference of its own and ends only through Exit.
  if (!options.automation) host.AddRef();
  // Started for a client that never attaches: no reference after the grace period. (Once a
  // client has attached and gone, its last release has already ended the program.)
  QTimer grace;
  if (options.automation) {
    grace.setSingleShot(true);
    QObject::connect(&grace, &QTimer::timeout, [&host, &window] {
      if (host.references() != 0) return;
      qCInfo(lcService) << "No client attached in time";
      window.PostClose();
    });
    grace.start(options.automationGrace);
  }
  qCInfo(lcService) << "PelService listening on" << socketPath.c_str()
                    << (options.automation ? "for clients" : "");

  const int code = QCoreApplication::exec();
  server.Stop();
  qCInfo(lcService) << "PelService ends";
  return code;
}
