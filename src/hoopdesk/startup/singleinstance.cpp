#include "hoopdesk/startup/singleinstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <optional>
#include <thread>
#include <vector>

#include "hoopdesk/startup/argumentfile.h"
#include "hoopdesk/startup/paramfile.h"
#include "hoopdesk/startup/paramfileclaim.h"
#include "platform/fileutil.h"
#include "platform/lasterror.h"
#include "rpc/socket.h"

namespace {

constexpr int kConnectWaitMs = 2000;
constexpr int kWriteWaitMs = 5000;
constexpr qsizetype kMaxRequestLine = 64;
constexpr const char kActivate[] = "activate";
constexpr const char kParamFile[] = "paramfile";

// An exclusive lock on a file, held until destruction (the kernel drops it when the process
// dies, so a crashed start never blocks the next one).
class TStartLock {
 public:
  // None with *busy set when another start held the lock for the whole wait; none with *busy
  // clear when no lock can be had at all.
  static std::optional<TStartLock> Take(const std::filesystem::path& path,
                                        std::chrono::milliseconds wait, bool* busy) {
    *busy = false;
    rpc::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid()) return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + wait;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return std::nullopt;
      if (std::chrono::steady_clock::now() > end) {
        *busy = true;
        return std::nullopt;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return TStartLock(std::move(fd));
  }

 private:
  explicit TStartLock(rpc::UniqueFd fd) : fd_(std::move(fd)) {}
  rpc::UniqueFd fd_;
};

bool SendRequest(QLocalSocket& socket, const char* request) {
  socket.write(request);
  socket.write("\n");
  return socket.waitForBytesWritten(kWriteWaitMs) || socket.bytesToWrite() == 0;
}

}  // namespace

TSingleInstance::TPaths TSingleInstance::DefaultPaths() {
  TPaths paths;
  const std::filesystem::path runtime = rpc::RuntimeFolder();
  if (!runtime.empty()) {
    const std::string base = "hoopdesk" + rpc::InstanceSuffix();
    paths.socket = runtime / (base + ".sock");
    paths.lock = runtime / (base + ".lock");
  }
  paths.paramFile = TParamFile::DefaultPath();
  return paths;
}

TSingleInstance::TSingleInstance(TPaths paths, QObject* parent)
    : QObject(parent), paths_(std::move(paths)) {}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::IsListening() const { return server_ && server_->isListening(); }

TSingleInstance::TStartResult TSingleInstance::Start(const std::vector<std::string>& args) {
  TStartResult result;
  if (paths_.socket.empty() || paths_.lock.empty()) {
    result.warnings.push_back(
        "no private runtime folder: a second start cannot reach this program");
    return result;
  }
  bool busy = false;
  const auto lock = TStartLock::Take(paths_.lock, kLockWait, &busy);
  if (!lock && busy) {
    result.role = TRole::HandOverFailed;
    result.failure = "another start of Hoopdesk did not finish: " + paths_.lock.string();
    return result;
  }
  if (!lock) {
    result.warnings.push_back("cannot use " + paths_.lock.string() +
                              ": a second start cannot reach this program");
    return result;
  }
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(paths_.socket.string()));
  if (socket.waitForConnected(kConnectWaitMs)) {
    HandOver(socket, args, result);
    return result;
  }
  Listen(result);
  return result;
}

void TSingleInstance::HandOver(QLocalSocket& socket, const std::vector<std::string>& args,
                               TStartResult& result) {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  std::vector<std::string> absolute;
  absolute.reserve(args.size());
  for (const std::string& arg : args) absolute.push_back(MakeArgumentAbsolute(arg, cwd));
  if (absolute.size() > TParamFile::kMaxArguments) {
    result.warnings.push_back("only the first " + std::to_string(TParamFile::kMaxArguments) +
                              " arguments are handed over");
    absolute.resize(TParamFile::kMaxArguments);
  }

  result.role = TRole::HandOverFailed;
  // A file still here belongs to an earlier start that the running program has not served yet
  // (it may be inside a dialog): give it time to be taken, then add to it.
  WaitUntilTaken(socket);
  const bool added = AddToUnread(absolute, result);
  if (!result.failure.empty()) return;
  if (!added) {
    SendRequest(socket, kActivate);
    if (!TParamFile::Write(paths_.paramFile, absolute)) {
      result.failure = "cannot write " + paths_.paramFile.string() + ": " +
                       platform::SystemErrorText(platform::GetLastError());
      return;
    }
  }
  if (!SendRequest(socket, kParamFile)) {
    // The file stays: the next start that reaches a running program adds to it.
    result.failure =
        "the running Hoopdesk did not take the request to read " + paths_.paramFile.string();
    return;
  }
  socket.disconnectFromServer();
  result.role = TRole::HandedOver;
}

bool TSingleInstance::AddToUnread(const std::vector<std::string>& args,
                                  TStartResult& result) const {
  if (!platform::FileExists(paths_.paramFile)) return false;
  std::string error;
  std::optional<TParamFileClaim> claim = TParamFileClaim::Claim(paths_.paramFile, &error);
  if (!claim) {
    // Taken between the look and the claim: this start writes a file of its own.
    if (error.empty()) return false;
    result.failure = error;
    return false;
  }
  if (!claim->Merge(args, &error)) {
    result.failure = error;
    return false;
  }
  return true;
}

void TSingleInstance::WaitUntilTaken(QLocalSocket& socket) const {
  const auto end = std::chrono::steady_clock::now() + kTakeWait;
  while (platform::FileExists(paths_.paramFile) && socket.state() == QLocalSocket::ConnectedState &&
         std::chrono::steady_clock::now() < end)
    socket.waitForReadyRead(5);
}

bool TSingleInstance::Listen(TStartResult& result) {
  const QString name = QString::fromStdString(paths_.socket.string());
  // Under the lock nobody answered, so a socket file here is a dead program's.
  QLocalServer::removeServer(name);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    result.warnings.push_back("cannot listen on " + paths_.socket.string() + ": " +
                              server_->errorString().toStdString());
    server_.reset();
    return false;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, &TSingleInstance::Accept);
  return true;
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      std::vector<QByteArray> requests;
      while (socket->canReadLine())
        requests.push_back(socket->readLine(kMaxRequestLine + 1).trimmed());
      // A line that never ends is no request of ours.
      if (socket->bytesAvailable() > kMaxRequestLine) socket->abort();
      // The socket is not touched after this: whoever takes a request may run an event loop,
      // in which the socket may close and go.
      for (const QByteArray& line : requests) {
        if (line == kActivate)
          emit activateRequested();
        else if (line == kParamFile)
          emit paramFileRequested();
      }
    });
  }
}
