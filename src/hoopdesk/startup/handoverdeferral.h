// Holds back the running program's hand-over requests while it is not free to run them. Both
// requests change the layout window ("activate" clears it, "paramfile" opens files into it), so
// run inside a modal dialog's event loop they would free designs that the dialog, or the code
// that opened it, still uses. A request that arrives while a modal widget is active or any
// nested event loop runs (a dialog that is closing, a message box of a hand-over still being
// opened) waits; the waiting requests are then given on in their order, one at a time, each
// only when the program is free again. None is given on inside the call that brought it.
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>

class THandOverDeferral : public QObject {
  Q_OBJECT

 public:
  // How often a waiting request looks again whether the program is free.
  static constexpr int kRetryMs = 50;
  // The event loop level of the program's own loop (QApplication::exec).
  static constexpr int kProgramLoopLevel = 1;

  explicit THandOverDeferral(QObject* parent = nullptr);

  // The requests as TSingleInstance signals them.
  void Activate();
  void ParamFile();

  // True when no modal widget is active and no event loop runs inside the program's own.
  static bool ProgramIsFree();
  std::size_t WaitingCount() const { return waiting_.size(); }

 signals:
  // The requests given on, in the order they arrived.
  void activateReady();
  void paramFileReady();

 private:
  enum class TRequest { Activate, ParamFile };

  void Request(TRequest request);
  void Give(TRequest request);
  void Retry();

  std::deque<TRequest> waiting_;
  QTimer retry_;
};
