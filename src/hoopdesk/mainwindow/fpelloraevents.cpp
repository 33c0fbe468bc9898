// TFPellora: the bindings of the form's events, the Send tab's geometry and drags, the Order
// list and the window placement.
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/controls/anibutton.h"
#include "hoopdesk/controls/bitmapimage.h"
#include "hoopdesk/controls/draglabel.h"
#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/dialogs/fabout.h"
#include "hoopdesk/dialogs/frecent.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/mainwindow/orderlist.h"
#include "hoopdesk/panels/sendtablayout.h"
#include "hoopdesk/settings/settingchecks.h"
#include "hoopdesk/trace/ftrace.h"
#include "platform/bitmap.h"

namespace {

constexpr int kDragImage = 64;
constexpr std::int32_t kShowMaximized = 3;

}  // namespace

void TFPellora::Bind() {
  connect(ui_.Timer, &QTimer::timeout, this, &TFPellora::TimerTimer);
  connect(ui_.MenuExit, &QAction::triggered, this, &QWidget::close);
  connect(ui_.MenuWhite, &QAction::triggered, this, [this] { MenuBackColorClick(0); });
  connect(ui_.MenuGray, &QAction::triggered, this, [this] { MenuBackColorClick(1); });
  connect(ui_.MenuTcpip, &QAction::triggered, this, &TFPellora::MenuTcpipClick);
  connect(ui_.MenuRecent, &QAction::triggered, this, [this] {
    TFRecent dialog(this, settings_);
    dialog.exec();
  });
  connect(ui_.MenuAbout, &QAction::triggered, this, [this] {
    TFAbout dialog(this);
    dialog.exec();
  });
  connect(ui_.MenuColorSet, &QAction::triggered, this, &TFPellora::MenuColorSetClick);
  connect(ui_.MenuPort, &QAction::triggered, this, &TFPellora::MenuPortClick);
  connect(ui_.MenuWindowTab, &QAction::triggered, this, &TFPellora::MenuWindowTabClick);
  connect(ui_.MenuWindowTileH, &QAction::triggered, this,
          [this] { MenuWindowTileClick(Qt::Horizontal); });
  connect(ui_.MenuWindowTileV, &QAction::triggered, this,
          [this] { MenuWindowTileClick(Qt::Vertical); });

  connect(ui_.TrashBtn, &TDropDownButton::clicked, this, &TFPellora::TrashBtnClick);
  connect(ui_.MenuDel, &QAction::triggered, this, [this] { MenuDelClick(0); });
  connect(ui_.MenuDelAll, &QAction::triggered, this, [this] { MenuDelClick(1); });
  layout_->onMenuDel = [this](int tag) { MenuDelClick(tag); };
  layout_->onUpdateColorFrame = [this](TStitchItem& design) {
    ui_.FMainColorFrame->Setup(&design);
  };
  layout_->machinePalette = [this] { return ui_.FMainColorFrame->Palette(); };

  connect(ui_.PageControl, &QTabWidget::currentChanged, this, [this] {
    browser_->PageControlChange(ui_.PageControl->currentWidget() == ui_.TabStitch);
  });
  connect(ui_.FoldersBtn, &QToolButton::clicked, this, [this] { browser_->FoldersBtnClick(); });
  BindBrowser();

  // Only the operator's moves reach the handler: a position set from the settings (555) is
  // neither rounded nor marks them modified.
  connect(ui_.TrackBar, &QSlider::actionTriggered, this,
          [this] { TrackBarChange(ui_.TrackBar->sliderPosition()); });
  connect(ui_.SendAllBtn, &QPushButton::clicked, this, &TFPellora::SendAllBtnClick);
  BindSendTab();
  connect(ui_.HScroll, &QScrollBar::valueChanged, this, [this] { panels_.QueueScrolled(); });
  connect(ui_.VScroll, &QScrollBar::valueChanged, this,
          [this](int position) { panels_.MachinesScrolled(position); });
  for (int k = 0; k < kPanelSlots; ++k) {
    ui_.SendImg[k]->installEventFilter(this);
  }
  ui_.TabSend->installEventFilter(this);
  ui_.PanelPart->installEventFilter(this);

  orderList_ = std::make_unique<TOrderList>(
      ui_.ListBox, [this](int source, int target) { ListBoxDragDrop(source, target); });
  connect(ui_.ListBox, &QListWidget::itemClicked, this, [this] {
    layout_->SelectDesign(layout_->DesignAtOrder(ui_.ListBox->currentRow()));
    layout_->PaintLayout(false, false);
  });

  TFColorFrame* frame = ui_.FMainColorFrame;
  frame->machinePalette = [this](int i) -> TColorInfo* {
    TMachineRecord* record = panels_.GetMachine(i);
    return record != nullptr ? &record->palette : nullptr;
  };
  const auto repaintWhenChanged = [this] {
    if (ui_.FMainColorFrame->TakeChanged()) RefreshLayoutView();
  };
  connect(frame, &TFColorFrame::PanelSrcColorMouseUp, this, repaintWhenChanged);
  connect(frame, &TFColorFrame::PanelDstColorMouseDown, this, repaintWhenChanged);
  connect(frame, &TFColorFrame::DockRefresh, this, &TFPellora::PostDockRefresh);
  connect(frame, &TFColorFrame::ColorModeRGClick, this,
          [this] { layout_->SetDataColors(ui_.FMainColorFrame->IsDataMode()); });
  connect(frame, &TFColorFrame::MachineCBChange, this, [this] {
    if (!ui_.FMainColorFrame->IsDataMode()) RefreshLayoutView();
  });
  connect(frame, &TFColorFrame::PanelSrcColorDblClick, this, [this] {
    if (!ui_.FMainColorFrame->IsDataMode()) {
      MenuColorSetClick();
      layout_->UpdateColorFrame();
    }
    if (ui_.FMainColorFrame->TakeChanged()) RefreshLayoutView();
  });
}

void TFPellora::ListBoxDragDrop(int source, int target) {
  ui_.FMainColorFrame->ClearMappings();
  layout_->MoveDesignOrder(source, target);
  ui_.ListBox->setCurrentRow(target);
}

void TFPellora::TabSendResize() {
  const int width = ui_.TabSend->width();
  const int scroll = ui_.VScroll->isVisible() ? ui_.VScroll->sizeHint().width() : 0;
  for (int k = 0; k < kPanelSlots; ++k) {
    const TSlotPlace place = TSendTabLayout::Slot(k, width, scroll);
    ui_.SendImg[k]->setGeometry(place.image);
    ui_.SendBtn[k]->move(place.sendBtn);
    ui_.Lbl[k]->move(place.lbl);
    ui_.SewBtn[k]->move(place.sewBtn);
    ui_.ProgBar[k]->move(place.progBar);
  }
  ui_.VScroll->setGeometry(TSendTabLayout::MachineScroll(width, scroll));
  ui_.SendAllBtn->resize(ui_.SendAllBtn->sizeHint());
  ui_.TrackBar->setGeometry(TSendTabLayout::TrackBar(width, scroll, ui_.TrackBar->y()));
  ui_.SpLbl->move(TSendTabLayout::kSpeedLabelLeft, ui_.SpLbl->y());
  ui_.TrackLbl->move(TSendTabLayout::kSpeedValueLeft, ui_.TrackLbl->y());
  panels_.RefreshPanelImages();
  panels_.ShowMachinesFrom(ui_.VScroll->isVisible() ? ui_.VScroll->value() : 0);
}

bool TFPellora::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_.TabSend && event->type() == QEvent::Resize) {
    TabSendResize();
  } else if (watched == ui_.PanelPart && event->type() == QEvent::Resize) {
    browser_->PanelPartResize();
  }
  for (int k = 0; k < kPanelSlots; ++k) {
    if (watched == ui_.SendImg[k]) return SendImgMouse(k, event);
    if (watched == ui_.SewBtn[k]) return SewBtnMouse(k, event);
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TFPellora::SendImgMouse(int slot, QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::MouseButtonDblClick) {
    SendImgDblClick(slot, static_cast<QMouseEvent*>(event)->position().toPoint());
    return true;
  }
  if (type == QEvent::MouseMove) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (!(mouse->buttons() & Qt::LeftButton)) return false;
    const QPoint at = mapFromGlobal(mouse->globalPosition().toPoint());
    if (!queuedDrag_) {
      const int machine = panels_.SlotToMachine(slot);
      const int position = QueuedDesignAt(slot, mouse->position().toPoint());
      const TMachineRecord* record = panels_.GetMachine(machine);
      if (record == nullptr || record->queue.GetItem(position) == nullptr) return true;
      queuedDrag_ = TQueuedDrag{record->cookie, position, *record->queue.GetItem(position)};
      platform::Bitmap bitmap(kDragImage, kDragImage);
      TStitch one;
      one.AddItem(queuedDrag_->design);
      one.DrawItem(0, bitmap, &record->palette);
      dragLabel_ = std::make_unique<TDragLabel>(this, QPixmap::fromImage(ToQImage(bitmap)),
                                                "QueuedDragImage", Qt::DragMoveCursor);
    }
    dragLabel_->Follow(mouse->globalPosition().toPoint());
    const bool overTrash = IsTrashBox(at.x(), at.y());
    ui_.TrashBtn->SetActive(overTrash);
    dragLabel_->SetCanDrop(overTrash);
    return true;
  }
  if (type == QEvent::MouseButtonRelease && queuedDrag_) {
    const QPoint at = mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    EndQueuedDrag(IsTrashBox(at.x(), at.y()));
    return true;
  }
  return false;
}

// The queued design under a point of a slot's image.
int TFPellora::QueuedDesignAt(int slot, QPoint point) { return panels_.DesignAtPoint(slot, point); }

void TFPellora::EndQueuedDrag(bool overTrash) {
  dragLabel_.reset();
  ui_.TrashBtn->SetActive(false);
  const TQueuedDrag drag = std::move(*queuedDrag_);
  queuedDrag_.reset();
  if (!overTrash) return;
  // The queue may have moved on since the drag began: find the design again by what it is.
  const int machine = panels_.FindMachineByCookie(drag.cookie);
  const TMachineRecord* record = panels_.GetMachine(machine);
  if (record == nullptr) return;
  const int position = FindQueuedDesign(record->queue, drag);
  if (position >= 0) panels_.DiscardQueuedDesign(position, machine);
}

void TFPellora::ApplyPlacement() {
  // A stored placement may name a screen that is gone: keep the window on a present one.
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens())
    screens.push_back(screen->availableGeometry());
  const TWindowPlacement p = ClampPlacement(settings_.Placement, screens);
  if (p.right > p.left && p.bottom > p.top)
    setGeometry(p.left, p.top, p.right - p.left, p.bottom - p.top);
  if (p.showCmd == kShowMaximized) setWindowState(windowState() | Qt::WindowMaximized);
  const int panelWidth = CheckedPanelWidth(settings_.PanelWidth, width() - 307);
  ui_.SplitterV->setSizes({std::max(307, width() - panelWidth), panelWidth});
}

void TFPellora::StorePlacement() {
  TWindowPlacement& p = settings_.Placement;
  const QRect normal = normalGeometry();
  p.length = 44;
  p.left = normal.left();
  p.top = normal.top();
  p.right = normal.left() + normal.width();
  p.bottom = normal.top() + normal.height();
  p.showCmd = isMaximized() ? kShowMaximized : 1;
}
