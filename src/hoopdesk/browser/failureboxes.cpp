#include "hoopdesk/browser/failureboxes.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "pelsrvapi/messageids.h"
#include "shared/util.h"

TReadFailureBoxes::TReadFailureBoxes(QWidget* window, QObject* parent)
    : QObject(parent), window_(window) {
  window_->installEventFilter(this);
}

void TReadFailureBoxes::Report(const QString& path) {
  if (reported_.contains(path)) return;
  reported_.insert(path);
  pending_.append(path);
  Schedule();
}

void TReadFailureBoxes::NewFolder() {
  reported_.clear();
  pending_.clear();
}

void TReadFailureBoxes::Forget(const QString& path) {
  reported_.remove(path);
  pending_.removeAll(path);
}

bool TReadFailureBoxes::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Show) Schedule();
  return false;
}

void TReadFailureBoxes::Schedule() {
  if (scheduled_ || showing_ || pending_.isEmpty() || !window_->isVisible()) return;
  scheduled_ = true;
  // After the window has come up, and outside whatever reported the file.
  QTimer::singleShot(0, this, [this] {
    scheduled_ = false;
    ShowPending();
  });
}

void TReadFailureBoxes::ShowPending() {
  if (showing_ || !window_->isVisible()) return;
  showing_ = true;
  // A box waits for the operator; files reported meanwhile join the queue and follow it.
  while (!pending_.isEmpty()) {
    const QString path = pending_.takeFirst();
    ShowMessageBox(true, kMsgReadFailed, path.toStdString());
  }
  showing_ = false;
}
