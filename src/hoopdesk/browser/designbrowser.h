// The Stitch tab's browser: the design files of the chosen folder shown as thumbnails, eight
// at a time. This build lists, draws and pages them and watches the folder; selecting,
// dragging and the colour dialog of a thumbnail come later.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "hoopdesk/browser/imgcontainer.h"
#include "shared/colorinfo.h"

class QAbstractButton;
class QFileSystemModel;
class QFileSystemWatcher;
class QLabel;
class QScrollBar;
class QTreeView;
class TLiftButton;
class QWidget;

struct TBrowserWidgets {
  QTreeView* shellTreeView = nullptr;
  TLiftButton* foldersBtn = nullptr;
  QWidget* topPanel = nullptr;
  QWidget* splitter = nullptr;
  QWidget* panelPart = nullptr;
  QWidget* panelContainer = nullptr;
  QScrollBar* scrollBar = nullptr;
  QAbstractButton* setColBtn = nullptr;
  std::array<QLabel*, 8> images{};
  std::array<QLabel*, 8> labels{};
};

class TDesignBrowser : public QObject {
  Q_OBJECT
 public:
  TDesignBrowser(TBrowserWidgets widgets, const TColorInfo& systemPalette,
                 QObject* parent = nullptr);
  ~TDesignBrowser() override;

  // Shows `folder` in the tree; a folder the tree cannot show is ignored.
  void ShowFolder(const QString& folder);
  void ShellTreeViewChange();
  void FolderChanged();
  // Rebuilds the thumbnails when the Stitch tab is active and the list is stale.
  void PageControlChange(bool stitchTabActive);
  void ScrollBarChange();
  void FoldersBtnClick();
  void PanelPartResize();
  bool FolderTreeVisible() const;

  const QString& DesignDir() const { return designDir_; }
  const QStringList& FileList() const { return fileList_; }
  TImgContainer& ImgContainer() { return imgContainer_; }

  // Tells the server the folder; set by the main window.
  std::function<void(const QString&)> onDirectoryChanged;

 private:
  void BuildFileList();
  bool DrawThumbnail(const QString& name, QLabel* image);

  TBrowserWidgets w_;
  const TColorInfo& systemPalette_;
  QFileSystemModel* model_;
  QFileSystemWatcher* watch_;
  TImgContainer imgContainer_;
  QString designDir_;
  QStringList fileList_;
  bool fileListStale_ = true;
  int selectedThumb_ = -1;
  int savedPartHeight_ = 0;
};
