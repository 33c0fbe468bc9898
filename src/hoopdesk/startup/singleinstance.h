// Hoopdesk runs once per user. The running program listens on a local socket in the user's
// private runtime folder; a second start connects to it, sends "activate", writes its
// arguments to "param.txt" and sends "paramfile", then ends. A lock file serialises the starts,
// so two first starts cannot both listen and two second starts never write at once; the
// running program never waits for it.
//
// A hand-over is never lost: a second start that finds "param.txt" not yet taken waits, bounded,
// for the running program to take it, and when it is still there adds its own arguments to it
// (TParamFileClaim) and sends only "paramfile": the earlier start's "activate" is queued ahead of
// the file already, and a second one after it would clear the layout the file is opened into.
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
    HandedOver,      // the arguments went to the running program
    HandOverFailed,  // a program runs, but the arguments could not reach it
  };

  struct TStartResult {
    TRole role = TRole::Running;
    std::vector<std::string> warnings;  // what did not go as it should, whatever the role
    std::string failure;                // HandOverFailed: why the arguments did not reach it
  };

  struct TPaths {
    std::filesystem::path socket;     // where the running program listens
    std::filesystem::path lock;       // serialises starts
    std::filesystem::path paramFile;  // "param.txt"
  };

  // How long a start waits for the lock, and a second start for an unread file to be taken
  // before it adds to it.
  static constexpr std::chrono::milliseconds kLockWait{30000};
  static constexpr std::chrono::milliseconds kTakeWait{5000};

  // The socket and lock in the runtime folder (per instance), "param.txt" in the data folder.
  static TPaths DefaultPaths();

  explicit TSingleInstance(TPaths paths, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Decides the role of this start; args are the command-line arguments without the program
  // name. A second start hands them over, made absolute against the current folder. When no
  // socket can be made the program still runs, alone; a warning then says why.
  TStartResult Start(const std::vector<std::string>& args);

  bool IsListening() const;

 signals:
  // A second start asks the running program to come to the front (posted before its file).
  void activateRequested();
  // A second start has written "param.txt" for the running program to read.
  void paramFileRequested();

 private:
  void HandOver(QLocalSocket& socket, const std::vector<std::string>& args, TStartResult& result);
  // Adds args to an unread "param.txt": true when they are in it. False with result.failure
  // set when they cannot be added, false alone when there is no unread file to add to.
  bool AddToUnread(const std::vector<std::string>& args, TStartResult& result) const;
  // Waits, bounded, until the running program has taken "param.txt" or has gone.
  void WaitUntilTaken(QLocalSocket& socket) const;
  bool Listen(TStartResult& result);
  void Accept();

  TPaths paths_;
  std::unique_ptr<QLocalServer> server_;
};
