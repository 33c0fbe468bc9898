// Watches one folder (not its subfolders) for files and folders that appear, disappear or are
// renamed, and for files written in place: inotify's close-after-write sees a rewrite that
// keeps the file's name, which a watch on the folder's entries alone would miss.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>

class QSocketNotifier;

class TFolderWatch : public QObject {
  Q_OBJECT
 public:
  explicit TFolderWatch(QObject* parent = nullptr);
  ~TFolderWatch() override;

  // Watches `folder` instead of the folder watched so far; false (and no watch) when it cannot
  // be watched. Only changes after the call count.
  bool Watch(const QString& folder);
  void Stop();
  bool IsSignalled() const { return signalled_; }
  // Takes the signal and the names of the entries that changed since the last call.
  QSet<QString> Take();

 signals:
  // A change arrived; emitted once until Take.
  void signalled();

 private:
  void Read();

  int fd_ = -1;
  int wd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool signalled_ = false;
  QSet<QString> names_;
};
