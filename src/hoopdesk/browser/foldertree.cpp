#include "hoopdesk/browser/foldertree.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTreeView>

TFolderTree::TFolderTree(QTreeView* view, QObject* parent) : QObject(parent), view_(view) {
  view_->setHeaderHidden(true);
  if (view_->isVisible()) {
    MakeModel();
  } else {
    view_->installEventFilter(this);
  }
}

bool TFolderTree::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::Show && model_ == nullptr) MakeModel();
  return QObject::eventFilter(watched, event);
}

void TFolderTree::MakeModel() {
  view_->removeEventFilter(this);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath(QDir::rootPath());
  view_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) view_->hideColumn(column);
  // The folder chosen so far stays the selected one: making the model changes no folder.
  if (!selected_.isEmpty()) {
    const QModelIndex index = model_->index(selected_);
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
    // The folders above it load one after another, each moving it down: follow it until its
    // own parent is loaded.
    const QString parent = QFileInfo(selected_).absolutePath();
    revealing_ = connect(model_, &QFileSystemModel::directoryLoaded, this,
                         [this, parent](const QString& path) {
                           view_->scrollTo(view_->currentIndex());
                           if (path == parent) disconnect(revealing_);
                         });
  }
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TFolderTree::selectionChanged);
}

bool TFolderTree::Select(const QString& folder) {
  if (model_ != nullptr) {
    const QModelIndex index = model_->index(folder);
    if (!index.isValid()) return false;
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
    return true;
  }
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir()) return false;
  // The path as the model would give it: absolute, clean, no trailing slash but for the root.
  const QString path = QDir::cleanPath(info.absoluteFilePath());
  if (path == selected_) return true;
  selected_ = path;
  emit selectionChanged();
  return true;
}

QString TFolderTree::SelectedPath() const {
  return model_ != nullptr ? model_->filePath(view_->currentIndex()) : selected_;
}

void TFolderTree::Reveal() {
  if (model_ != nullptr) view_->scrollTo(view_->currentIndex());
}
