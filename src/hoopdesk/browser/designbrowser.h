// The Stitch tab's browser: the design files of the chosen folder shown as thumbnails, eight
// at a time, two by two. A thumbnail is selected by a click, dragged onto the layout window to
// add the design there, or opened in the design colours dialog, from which it can be saved as
// a native design file. The folder is watched, so new, removed and rewritten files show.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "hoopdesk/browser/designfiles.h"
#include "hoopdesk/browser/imgcontainer.h"
#include "hoopdesk/browser/thumbnailpage.h"
#include "hoopdesk/browser/thumbnailprovider.h"
#include "platform/wintypes.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QAbstractButton;
class TReadFailureBoxes;
class QLabel;
class QScrollBar;
class QTreeView;
class QTimer;
class TDragLabel;
class TFolderTree;
class TFolderWatch;
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
  std::array<QLabel*, TThumbnailPage::kSlots> images{};
  std::array<QLabel*, TThumbnailPage::kSlots> labels{};
};

class TDesignBrowser : public QObject {
  Q_OBJECT
 public:
  // How long a page is drawn on the window's thread before the rest comes later: short enough
  // that with the folder's listing and the tree a folder change stays below a quarter second
  // on a busy machine.
  static constexpr std::chrono::milliseconds kPageBudget{150};
  static constexpr std::chrono::milliseconds kNoBudgetLimit = std::chrono::milliseconds::max();

  TDesignBrowser(TBrowserWidgets widgets, TColorInfo& systemPalette, QObject* parent = nullptr);
  ~TDesignBrowser() override;

  // The window is set up (its palette loaded): folder changes show from now on. Before, a
  // folder shown in the tree only selects it there.
  void SetUp() { setUp_ = true; }

  // Shows `folder` in the tree; a folder the tree cannot show is ignored.
  void ShowFolder(const QString& folder);
  void ShellTreeViewChange();
  void FolderChanged();
  // Rebuilds the thumbnails when the Stitch tab is active and the list is stale.
  void PageControlChange(bool stitchTabActive);
  void ScrollBarChange();
  // Draws the page again when it is current, so what its pictures depend on outside the
  // folder (the colour table) shows.
  void RefreshPage();
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
  // Slots of the shown page whose pictures are still being drawn.
  int SlotsDrawing() const;
  // How long a page may take on the window's thread (kNoBudgetLimit: as long as it takes).
  void SetPageBudget(std::chrono::milliseconds budget) { pageBudget_ = budget; }
  // Runs the folder watch's pending change now instead of after its short delay.
  void WatchFolderNow();

  // The main window wires the browser to the rest of the window through these.
  // Tells the server the folder.
  std::function<void(const QString&)> onDirectoryChanged;
  // Brings the other tabs' controls up to date; run after every page change and folder refresh.
  std::function<void()> updateTabControls;
  // Where a thumbnail dropped at a screen point lands in the layout window, in design units;
  // nothing where it cannot be dropped. Without it thumbnails cannot be dropped.
  std::function<std::optional<TPoint>(QPoint global)> layoutDropPoint;
  // Adds the design file to the layout at (x, y) in design units.
  std::function<bool(const QString& path, int x, int y)> onAddDesign;
  // Runs the design colours dialog for a design and a palette; true when the operator chose
  // "&Save". Without it nothing is saved.
  std::function<bool(TStitchItem& design, TColorInfo& palette)> runColorDialog;
  // The save-file dialog: the chosen path, or empty when cancelled. The default asks the
  // operator; tests answer it.
  std::function<QString(const QString& folder, const QString& name)> chooseSaveFile;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The save-file dialog in the design folder: the chosen path, or empty when cancelled.
  QString AskSaveFile(const QString& suggested) const;
  void PanelContainerPaint();
  void WatchFolderOnIdle();
  // What waits until the page's pictures are on their way: the rest of the list put in
  // order, and the watch moved to a newly chosen folder.
  void WhilePageDraws();
  // Shows the file's picture in the slot, or a blank face and starts drawing it; false when
  // the file is not there.
  bool DrawThumbnail(int slot, const QString& name, std::vector<TThumbnailKey>& waiting);
  void PlaceThumbnail(int slot, const TThumbnail& thumbnail);
  void ThumbnailDrawn(const TThumbnailKey& key, const TThumbnail& thumbnail);
  void ClearThumbnail(int slot);
  void ImgMouseMove(int slot, QPoint global);
  void ImgMouseUp(int slot, QPoint global);
  void ImgDblClick(int slot);
  std::optional<TPoint> LayoutDropPoint(QPoint global) const;
  // The page as the scroll bar shows it now.
  TThumbnailPage ShownPage() const;
  void SelectThumb(int index);

  TBrowserWidgets w_;
  TColorInfo& systemPalette_;
  TFolderTree* tree_;
  TFolderWatch* watch_;
  QTimer* watchDelay_;
  TImgContainer imgContainer_;
  TThumbnailProvider thumbnails_;
  TReadFailureBoxes* failures_;
  // The key each slot of the shown page shows; a picture that comes back for no slot's key
  // belongs to a page or folder no longer shown.
  std::array<std::optional<TThumbnailKey>, TThumbnailPage::kSlots> slotKeys_{};
  std::chrono::milliseconds pageBudget_ = kPageBudget;
  bool setUp_ = false;
  QString designDir_;
  QStringList fileList_;
  TDesignFileSort fileListRest_;  // what is left of sorting fileList_
  bool watchPending_ = false;     // the watch is still on the folder shown before
  bool fileListStale_ = true;
  int selectedThumb_ = -1;
  int savedPartHeight_ = 0;
  std::unique_ptr<TDragLabel> drag_;
  QPixmap blank_;  // the face of a slot whose picture is not drawn yet
};
