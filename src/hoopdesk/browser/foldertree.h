// The folder tree above the thumbnails: the file system's folders, one of them selected. Its
// model is made when the tree is first shown; until then the selected folder is only
// remembered, so a start with the tree hidden neither lists the root nor loads an icon.
#pragma once

#include <QObject>
#include <QString>

class QFileSystemModel;
class QTreeView;

class TFolderTree : public QObject {
  Q_OBJECT
 public:
  explicit TFolderTree(QTreeView* view, QObject* parent = nullptr);

  // Selects `folder`; false, and nothing selected anew, when it is no folder the tree shows.
  bool Select(const QString& folder);
  // The selected folder's path as the tree gives it; empty when none is selected.
  QString SelectedPath() const;
  // Scrolls the selected folder into view.
  void Reveal();
  bool HasModel() const { return model_ != nullptr; }

 signals:
  // Another folder was selected, by the operator or by Select.
  void selectionChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeModel();

  QTreeView* view_;
  QFileSystemModel* model_ = nullptr;
  QString selected_;  // while there is no model
  QMetaObject::Connection revealing_;
};
