// Hoopdesk runs once per user. The running program listens on a local socket in the user's
// private runtime folder; a second start connects to it, sends "activate", writes its
// arguments to "param.txt" and sends "paramfile", then ends. A lock file serialises the starts:
// a second start keeps it until the running program has taken its file, so no hand-over
// replaces a file that has not been read yet, and two first starts cannot both listen.
#pragma once

#include <QObject>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class TRole {
    Running,         // this start owns the program: run it, exit code 0
    HandedOver,      // the arguments went to the running program: exit code 1
    HandOverFailed,  // a program runs, but the arguments could not reach it: exit code 1
  };

  struct TPaths {
    std::filesystem::path socket;     // where the running program listens
    std::filesystem::path lock;       // serialises starts
    std::filesystem::path paramFile;  // "param.txt"
  };

  // How long a start waits for the lock, and a second start for its file to be taken.
  static constexpr std::chrono::milliseconds kLockWait{30000};
  static constexpr std::chrono::milliseconds kTakeWait{10000};

  // The socket and lock in the runtime folder (per instance), "param.txt" in the data folder.
  static TPaths DefaultPaths();

  explicit TSingleInstance(TPaths paths, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Decides the role of this start; args are the command-line arguments without the program
  // name. A second start hands them over, made absolute against the current folder. When no
  // socket can be made the program still runs, alone; *warning then says why.
  TRole Start(const std::vector<std::string>& args, std::string* warning);

  bool IsListening() const;

 signals:
  // A second start asks the running program to come to the front (posted before its file).
  void activateRequested();
  // A second start has written "param.txt" for the running program to read.
  void paramFileRequested();

 private:
  TRole HandOver(QLocalSocket& socket, const std::vector<std::string>& args, std::string* warning);
  // Waits, bounded, until the running program has taken "param.txt" or has gone.
  void WaitUntilTaken(QLocalSocket& socket) const;
  bool Listen(std::string* warning);
  void Accept();

  TPaths paths_;
  std::unique_ptr<QLocalServer> server_;
};
