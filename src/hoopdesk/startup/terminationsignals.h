// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the main thread, so that logging out,
// shutting down or `kill` close the program the same way as its "Exit" menu item, with every
// save that a close does. The handler only writes the signal's number into a pipe (the one
// thing a signal handler may safely do here); a socket notifier on the pipe's other end emits
// terminationRequested from the event loop. One object at a time; it puts the earlier
// dispositions back when it goes.
#pragma once

#include <signal.h>

#include <QObject>
#include <array>
#include <memory>

#include "rpc/socket.h"

class QSocketNotifier;

class TTerminationSignals : public QObject {
  Q_OBJECT

 public:
  static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

  explicit TTerminationSignals(QObject* parent = nullptr);
  ~TTerminationSignals() override;
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

  // False when the pipe could not be made or another object watches already: the signals then
  // keep their earlier dispositions.
  bool IsWatching() const { return watching_; }

 signals:
  void terminationRequested(int signal);

 private:
  void Drain();

  rpc::UniqueFd readEnd_;
  rpc::UniqueFd writeEnd_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  bool watching_ = false;
};
