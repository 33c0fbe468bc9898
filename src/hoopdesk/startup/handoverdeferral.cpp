#include "hoopdesk/startup/handoverdeferral.h"

#include <QApplication>
#include <QThread>

THandOverDeferral::THandOverDeferral(QObject* parent) : QObject(parent) {
  retry_.setInterval(kRetryMs);
  connect(&retry_, &QTimer::timeout, this, &THandOverDeferral::Retry);
}

void THandOverDeferral::Activate() { Request(TRequest::Activate); }
void THandOverDeferral::ParamFile() { Request(TRequest::ParamFile); }

bool THandOverDeferral::ProgramIsFree() {
  return QApplication::activeModalWidget() == nullptr &&
         QThread::currentThread()->loopLevel() <= kProgramLoopLevel;
}

// Never given inside the signal that brought it: whoever emitted it (the reader of the local
// socket) is still at work, and the request may open a dialog of its own. The first look comes
// at once on the next turn of the event loop.
void THandOverDeferral::Request(TRequest request) {
  waiting_.push_back(request);
  if (waiting_.size() == 1) QTimer::singleShot(0, this, &THandOverDeferral::Retry);
  retry_.start();
}

void THandOverDeferral::Give(TRequest request) {
  if (request == TRequest::Activate)
    emit activateReady();
  else
    emit paramFileReady();
}

// One request per look: the one given on may itself open a dialog (a file that cannot be read
// reports it in a message box), and the next must then wait for that one too.
void THandOverDeferral::Retry() {
  if (waiting_.empty() || !ProgramIsFree()) return;
  const TRequest next = waiting_.front();
  waiting_.pop_front();
  if (waiting_.empty()) retry_.stop();
  Give(next);
}
