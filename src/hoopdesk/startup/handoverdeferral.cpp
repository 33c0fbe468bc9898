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

void THandOverDeferral::Request(TRequest request) {
  if (waiting_.empty() && ProgramIsFree()) {
    Give(request);
    return;
  }
  waiting_.push_back(request);
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
  if (!ProgramIsFree()) return;
  const TRequest next = waiting_.front();
  waiting_.pop_front();
  if (waiting_.empty()) retry_.stop();
  Give(next);
}
