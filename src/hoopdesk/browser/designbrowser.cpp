#include "hoopdesk/browser/designbrowser.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include "hoopdesk/browser/designfiles.h"
#include "hoopdesk/browser/failureboxes.h"
#include "hoopdesk/browser/foldertree.h"
#include "hoopdesk/browser/folderwatch.h"
#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/controls/paintpanel.h"

namespace {

constexpr int kWatchDelayMs = 100;

}  // namespace

TDesignBrowser::TDesignBrowser(TBrowserWidgets widgets, TColorInfo& systemPalette, QObject* parent)
    : QObject(parent),
      w_(widgets),
      systemPalette_(systemPalette),
      tree_(new TFolderTree(widgets.shellTreeView, this)),
      watch_(new TFolderWatch(this)),
      watchDelay_(new QTimer(this)),
      imgContainer_(widgets.panelContainer, widgets.scrollBar),
      thumbnails_(systemPalette),
      failures_(new TReadFailureBoxes(widgets.panelPart->window(), this)),
      blank_(QPixmap::fromImage(BlankThumbnail(TThumbnailPage::kImageSize))) {
  connect(tree_, &TFolderTree::selectionChanged, this, [this] { ShellTreeViewChange(); });
  connect(w_.scrollBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });
  connect(w_.panelContainer, &TPaintPanel::paint, this, [this] { PanelContainerPaint(); });
  connect(w_.setColBtn, &QAbstractButton::clicked, this, [this] { SetColBtnClick(); });
  // A change is taken only once the thumbnails caught up with the last one, a short moment
  // after it, so a file being written in several steps is read once it is whole.
  watchDelay_->setSingleShot(true);
  watchDelay_->setInterval(kWatchDelayMs);
  connect(watch_, &TFolderWatch::signalled, watchDelay_, qOverload<>(&QTimer::start));
  connect(watchDelay_, &QTimer::timeout, this, [this] { WatchFolderOnIdle(); });
  thumbnails_.onDrawn = [this](const TThumbnailKey& key, const TThumbnail& thumbnail) {
    ThumbnailDrawn(key, thumbnail);
  };
  w_.panelContainer->installEventFilter(this);
  w_.scrollBar->installEventFilter(this);
  for (QLabel* image : w_.images) {
    image->installEventFilter(this);
    image->setMouseTracking(false);
  }
}

TDesignBrowser::~TDesignBrowser() = default;

void TDesignBrowser::ShowFolder(const QString& folder) { tree_->Select(folder); }

void TDesignBrowser::ShellTreeViewChange() {
  if (!setUp_) return;
  QString dir = tree_->SelectedPath();
  if (dir.isEmpty()) dir = QDir::homePath();
  if (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
  designDir_ = dir;
  w_.foldersBtn->setText(QFileInfo(dir).fileName());
  failures_->NewFolder();
  // The new folder is shown from its first row, so only that page of it is drawn (and only its
  // unreadable files reported), not the page at the old folder's row first.
  imgContainer_.ResetTopRow();
  watchPending_ = true;
  FolderChanged();
  imgContainer_.SetTopRow(0);
  if (onDirectoryChanged) onDirectoryChanged(designDir_);
}

void TDesignBrowser::FolderChanged() {
  fileListStale_ = true;
  // Only the names up to the end of the page at the bar's row are sorted before the page is
  // drawn; the list never shrinks the row below it.
  const qsizetype pageEnd =
      TThumbnailPage(imgContainer_.GetTopRow(), 0).FileIndex(0) + TThumbnailPage::kSlots;
  fileList_ = ReadDesignFiles(designDir_, pageEnd, fileListRest_);
  PageControlChange(w_.panelPart->isVisible() || !w_.panelPart->window()->isVisible());
  WhilePageDraws();  // no page was drawn
}

void TDesignBrowser::WhilePageDraws() {
  if (!fileListRest_.Done()) fileListRest_.Finish(fileList_);
  if (watchPending_) {
    watchPending_ = false;
    watch_->Watch(designDir_);
  }
}

void TDesignBrowser::WatchFolderOnIdle() {
  if (fileListStale_ || !watch_->IsSignalled()) return;
  for (const QString& name : watch_->Take()) {
    thumbnails_.Forget(designDir_ + '/' + name);
    failures_->Forget(designDir_ + '/' + name);
  }
  FolderChanged();
}

void TDesignBrowser::WatchFolderNow() {
  watchDelay_->stop();
  WatchFolderOnIdle();
}

void TDesignBrowser::PageControlChange(bool stitchTabActive) {
  if (stitchTabActive && fileListStale_) {
    selectedThumb_ = -1;
    w_.setColBtn->setEnabled(false);
    imgContainer_.SetItemCount(static_cast<int>(fileList_.size()));
    ScrollBarChange();
    fileListStale_ = false;
    // A change that came while the list was stale is taken now.
    if (watch_->IsSignalled()) watchDelay_->start();
  }
  if (updateTabControls) updateTabControls();
}

void TDesignBrowser::ScrollBarChange() {
  const auto start = TThumbnailProvider::TClock::now();
  // Pictures of pages passed on the way (a dragged bar) are not drawn any more.
  thumbnails_.DropQueued();
  const TThumbnailPage page(imgContainer_.GetTopRow(), static_cast<int>(fileList_.size()));
  std::vector<TThumbnailKey> waiting;
  for (int i = 0; i < TThumbnailPage::kSlots; ++i) {
    const bool shown = page.Shown(i);
    slotKeys_[i].reset();
    if (shown && DrawThumbnail(i, fileList_[page.FileIndex(i)], waiting)) {
      w_.labels[i]->setText(TThumbnailPage::Caption(fileList_[page.FileIndex(i)]));
    } else {
      // The file went away since the list was made: no stale picture or caption stays.
      ClearThumbnail(i);
    }
    // Showing a shown widget again still costs Qt a walk over its children.
    if (w_.images[i]->isHidden() == shown) w_.images[i]->setVisible(shown);
    if (w_.labels[i]->isHidden() == shown) w_.labels[i]->setVisible(shown);
  }
  WhilePageDraws();
  // A page that draws quickly shows whole at once; what takes longer follows when it is done.
  std::optional<TThumbnailProvider::TClock::time_point> deadline;
  if (pageBudget_ != kNoBudgetLimit) deadline = start + pageBudget_;
  thumbnails_.WaitFor(waiting, deadline);
  w_.panelContainer->update();
}

void TDesignBrowser::RefreshPage() {
  if (!fileListStale_) ScrollBarChange();
}

int TDesignBrowser::SlotsDrawing() const {
  int count = 0;
  for (const auto& key : slotKeys_) count += key && thumbnails_.IsDrawing(*key) ? 1 : 0;
  return count;
}

void TDesignBrowser::ClearThumbnail(int slot) {
  w_.images[slot]->setPixmap(blank_);
  w_.labels[slot]->clear();
}

bool TDesignBrowser::DrawThumbnail(int slot, const QString& name,
                                   std::vector<TThumbnailKey>& waiting) {
  const std::optional<TThumbnailKey> key =
      thumbnails_.KeyFor(designDir_ + '/' + name, TThumbnailPage::kImageSize);
  if (!key) return false;
  slotKeys_[slot] = *key;
  if (const std::optional<TThumbnail> cached = thumbnails_.Cached(*key)) {
    PlaceThumbnail(slot, *cached);
    return true;
  }
  w_.images[slot]->setPixmap(blank_);
  thumbnails_.Request(*key);
  waiting.push_back(*key);
  return true;
}

void TDesignBrowser::ThumbnailDrawn(const TThumbnailKey& key, const TThumbnail& thumbnail) {
  for (int i = 0; i < TThumbnailPage::kSlots; ++i) {
    if (slotKeys_[i] == key) PlaceThumbnail(i, thumbnail);
  }
}

void TDesignBrowser::PlaceThumbnail(int slot, const TThumbnail& thumbnail) {
  if (thumbnail.status == TThumbnailStatus::Failed) failures_->Report(slotKeys_[slot]->path);
  w_.images[slot]->setPixmap(QPixmap::fromImage(thumbnail.image));
}

void TDesignBrowser::PanelContainerPaint() {
  QPainter* p = w_.panelContainer->Canvas();
  if (p == nullptr) return;
  const int selected = ShownPage().SlotOf(selectedThumb_);
  const QColor face = w_.panelContainer->palette().color(QPalette::Button);
  p->setBrush(Qt::NoBrush);
  for (int i = 0; i < TThumbnailPage::kSlots; ++i) {
    const QRect r = w_.images[i]->geometry();
    p->setPen(QPen(i == selected ? ToQColor(kSelectionBlue) : face, 3));
    p->drawRect(r.adjusted(-2, -2, 2, 2));
  }
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
    tree_->Reveal();
    w_.shellTreeView->setFocus();
  }
}

void TDesignBrowser::PanelPartResize() {
  const int h = imgContainer_.SetHeight(ContainerHeightFor(w_.panelPart->height()));
  const TPanelPartPlaces places =
      PlacePanelPart(w_.panelPart->width(), QSize(w_.panelContainer->width(), h),
                     w_.scrollBar->width(), w_.setColBtn->width());
  w_.scrollBar->setGeometry(places.bar);
  w_.panelContainer->move(places.container);
  w_.setColBtn->move(places.colorButton);
}

TThumbnailPage TDesignBrowser::ShownPage() const {
  return TThumbnailPage(w_.scrollBar->value(), static_cast<int>(fileList_.size()));
}
