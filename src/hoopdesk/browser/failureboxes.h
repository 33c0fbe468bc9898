// The boxes for design files that cannot be read: one per file per folder change, shown once
// the window shows, one after the other, never from inside the drawing of a page (a box's own
// event loop would run into the next page).
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QWidget;

class TReadFailureBoxes : public QObject {
  Q_OBJECT
 public:
  explicit TReadFailureBoxes(QWidget* window, QObject* parent = nullptr);

  // A file of the folder shown could not be read; its box is shown unless it was already.
  void Report(const QString& path);
  // Another folder is shown: every file reports afresh, and boxes not shown yet are dropped.
  void NewFolder();
  // The file changed: it reports afresh.
  void Forget(const QString& path);
  int PendingCount() const { return static_cast<int>(pending_.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Schedule();
  void ShowPending();

  QWidget* window_;
  QSet<QString> reported_;
  QStringList pending_;
  bool scheduled_ = false;
  bool showing_ = false;
};
