#include "hoopdesk/browser/designbrowser.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QTreeView>

#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/layout/bitmapimage.h"
#include "platform/bitmap.h"
#include "shared/stitchlist.h"
#include "shared/util.h"

namespace {

constexpr int kThumbWidth = 100;
constexpr int kThumbHeight = 108;
constexpr int kCaptionLength = 12;
constexpr int kNoReadMessage = 261;

}  // namespace

TDesignBrowser::TDesignBrowser(TBrowserWidgets widgets, const TColorInfo& systemPalette,
                               QObject* parent)
    : QObject(parent),
      w_(widgets),
      systemPalette_(systemPalette),
      model_(new QFileSystemModel(this)),
      watch_(new QFileSystemWatcher(this)),
      imgContainer_(widgets.panelContainer, widgets.scrollBar) {
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath(QDir::homePath());
  w_.shellTreeView->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column)
    w_.shellTreeView->hideColumn(column);
  w_.shellTreeView->setHeaderHidden(true);
  connect(w_.shellTreeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { ShellTreeViewChange(); });
  connect(w_.scrollBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });
  connect(watch_, &QFileSystemWatcher::directoryChanged, this, [this] {
    if (!fileListStale_) FolderChanged();
  });
}

TDesignBrowser::~TDesignBrowser() = default;

void TDesignBrowser::ShowFolder(const QString& folder) {
  const QModelIndex index = model_->index(folder);
  if (!index.isValid()) return;
  w_.shellTreeView->setCurrentIndex(index);
  w_.shellTreeView->scrollTo(index);
}

void TDesignBrowser::ShellTreeViewChange() {
  QString dir = model_->filePath(w_.shellTreeView->currentIndex());
  if (dir.isEmpty()) dir = QDir::homePath();
  while (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
  designDir_ = dir;
  w_.foldersBtn->setText(QFileInfo(dir).fileName());
  FolderChanged();
  imgContainer_.SetTopRow(0);
  if (onDirectoryChanged) onDirectoryChanged(designDir_);
  if (!watch_->directories().isEmpty()) watch_->removePaths(watch_->directories());
  watch_->addPath(designDir_);
}

void TDesignBrowser::FolderChanged() {
  fileListStale_ = true;
  BuildFileList();
  PageControlChange(w_.panelPart->isVisible() || !w_.panelPart->window()->isVisible());
}

void TDesignBrowser::BuildFileList() {
  fileList_.clear();
  const QDir dir(designDir_);
  for (const char* mask : {"*.10o", "*.dsb", "*.dst", "*.dsz"}) {
    for (const QString& name :
         dir.entryList({mask}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted)) {
      if (!name.startsWith('.')) fileList_.append(name);
    }
  }
}

void TDesignBrowser::PageControlChange(bool stitchTabActive) {
  if (!stitchTabActive || !fileListStale_) return;
  selectedThumb_ = -1;
  w_.setColBtn->setEnabled(false);
  imgContainer_.SetItemCount(static_cast<int>(fileList_.size()));
  ScrollBarChange();
  fileListStale_ = false;
}

void TDesignBrowser::ScrollBarChange() {
  const int top = imgContainer_.GetTopRow();
  for (int i = 0; i < 8; ++i) {
    const int idx = top * 2 + i;
    const bool shown = idx < fileList_.size();
    if (shown && DrawThumbnail(fileList_[idx], w_.images[i])) {
      QString caption = fileList_[idx];
      caption.chop(4);
      w_.labels[i]->setText(caption.left(kCaptionLength));
    }
    w_.images[i]->setVisible(shown);
    w_.labels[i]->setVisible(shown);
  }
  w_.panelPart->update();
}

bool TDesignBrowser::DrawThumbnail(const QString& name, QLabel* image) {
  const QString path = designDir_ + '/' + name;
  if (!QFileInfo::exists(path)) return false;
  platform::Bitmap bitmap(kThumbWidth, kThumbHeight);
  TStitch list;
  if (list.AddFile(path.toStdString(), systemPalette_, 0, 0) >= 0) {
    TStitch::ClearBitmap(bitmap);
    list.DrawAll(bitmap);
  } else {
    ShowMessageBox(true, kNoReadMessage, path.toStdString());
    TStitch::ClearBitmap(bitmap);
  }
  image->setPixmap(QPixmap::fromImage(ToQImage(bitmap)));
  return true;
}

bool TDesignBrowser::FolderTreeVisible() const { return !w_.shellTreeView->isHidden(); }

void TDesignBrowser::FoldersBtnClick() {
  if (FolderTreeVisible()) {
    savedPartHeight_ = w_.panelPart->height();
    w_.shellTreeView->hide();
    w_.foldersBtn->SetLiftMode(TLiftMode::lmDown);
  } else {
    w_.shellTreeView->show();
    w_.foldersBtn->SetLiftMode(TLiftMode::lmUp);
    w_.shellTreeView->scrollTo(w_.shellTreeView->currentIndex());
    w_.shellTreeView->setFocus();
  }
}

void TDesignBrowser::PanelPartResize() {
  const int h = imgContainer_.SetHeight(w_.panelPart->height() - 65);
  const int width = w_.panelPart->width();
  w_.panelContainer->move((width - w_.panelContainer->width()) / 2, 8);
  w_.setColBtn->move((width - w_.setColBtn->width()) / 2, h + 23);
}
