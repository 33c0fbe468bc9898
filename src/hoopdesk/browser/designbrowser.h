// The Stitch tab's browser: the design files of the chosen folder shown as thumbnails, eight
// at a time, two by two. A thumbnail is selected by a click, dragged onto the layout window to
// add the design there, or opened in the design colours dialog, from which it can be saved as
// a native design file. The folder is watched, so new, removed and rewritten files show.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "hoopdesk/browser/imgcontainer.h"
#include "hoopdesk/browser/thumbnailprovider.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QAbstractButton;
class QFileSystemModel;
class QLabel;
class QScrollBar;
class QTreeView;
class QTimer;
class TFolderWatch;
class TFLayout;
class TLiftButton;
class TPaintPanel;
class QWidget;

struct TBrowserWidgets {
  QTreeView* shellTreeView = nullptr;
  TLiftButton* foldersBtn = nullptr;
  QWidget* topPanel = nullptr;
  QWidget* splitter = nullptr;
  QWidget* panelPart = nullptr;
  TPaintPanel* panelContainer = nullptr;
  QScrollBar* scrollBar = nullptr;
  QAbstractButton* setColBtn = nullptr;
  std::array<QLabel*, 8> images{};
  std::array<QLabel*, 8> labels{};
};

class TDesignBrowser : public QObject {
  Q_OBJECT
 public:
  static constexpr int kThumbWidth = 100;
  static constexpr int kThumbHeight = 108;

  TDesignBrowser(TBrowserWidgets widgets, TColorInfo& systemPalette, QObject* parent = nullptr);
  ~TDesignBrowser() override;

  // The layout window thumbnails are dropped on (borrowed).
  void SetLayout(TFLayout* layout) { layout_ = layout; }

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
  void SetColBtnClick();

  const QString& DesignDir() const { return designDir_; }
  const QStringList& FileList() const { return fileList_; }
  TImgContainer& ImgContainer() { return imgContainer_; }
  int SelectedThumb() const { return selectedThumb_; }
  bool FileListStale() const { return fileListStale_; }
  TThumbnailProvider& Thumbnails() { return thumbnails_; }
  // Runs the folder watch's pending change now instead of after its short delay.
  void WatchFolderNow();

  // Tells the server the folder; set by the main window.
  std::function<void(const QString&)> onDirectoryChanged;
  // Adds the design file to the layout at (x, y) in design units; set by the main window.
  std::function<bool(const QString& path, int x, int y)> onAddDesign;
  // The save-file dialog: the chosen path, or empty when cancelled. The default asks the
  // operator; tests answer it.
  std::function<QString(const QString& folder, const QString& name)> chooseSaveFile;
  // Runs the design colours dialog for a design and a palette; true when the operator chose
  // "&Save". The default shows the dialog.
  std::function<bool(TStitchItem& design, TColorInfo& palette)> runColorDialog;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PanelContainerPaint();
  void WatchFolderOnIdle();
  bool DrawThumbnail(const QString& name, QLabel* image);
  void ClearThumbnail(int slot);
  void ImgMouseMove(int slot, QPoint global);
  void ImgMouseUp(int slot, QPoint global);
  void ImgDblClick(int slot);
  bool OverLayout(QPoint global) const;
  void SelectThumb(int index);
  void EndDrag();

  TBrowserWidgets w_;
  TColorInfo& systemPalette_;
  QFileSystemModel* model_;
  TFolderWatch* watch_;
  QTimer* watchDelay_;
  TImgContainer imgContainer_;
  TThumbnailProvider thumbnails_;
  TFLayout* layout_ = nullptr;
  QString designDir_;
  QStringList fileList_;
  bool fileListStale_ = true;
  int selectedThumb_ = -1;
  int savedPartHeight_ = 0;
  QLabel* dragImage_ = nullptr;
};
