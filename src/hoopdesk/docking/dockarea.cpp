#include "hoopdesk/docking/dockarea.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <utility>

#include "hoopdesk/docking/fdockform.h"

TDockArea::TDockArea(QTabWidget* pages, QWidget* tilePanel, QSplitter* tiles,
                     std::array<TFDockForm*, 2> forms)
    : pages_(pages), tilePanel_(tilePanel), tiles_(tiles), forms_(forms) {
  for (TFDockForm* form : forms_) {
    form->SetDockHost(this);
    form->Grabber()->installEventFilter(this);
  }
  pages_->tabBar()->installEventFilter(this);
}

void TDockArea::ShowGrabbers(bool shown) {
  for (TFDockForm* form : forms_) form->ShowGrabber(shown);
}

void TDockArea::AddPages() {
  for (TFDockForm* form : forms_) pages_->addTab(form, form->windowTitle());
}

void TDockArea::ShowAsPages() {
  ShowGrabbers(false);
  AddPages();
  for (TFDockForm* form : forms_) form->show();
}

void TDockArea::TabLayout() {
  const bool panelWasVisible = !tilePanel_->isHidden();
  tilePanel_->hide();
  ShowGrabbers(false);
  pages_->show();
  if (panelWasVisible) AddPages();
  if (const int first = pages_->indexOf(forms_[0]); first > 0) pages_->tabBar()->moveTab(first, 0);
  pages_->setCurrentIndex(0);
}

void TDockArea::Tile(Qt::Orientation orientation) {
  tilePanel_->show();
  tiles_->setOrientation(orientation);
  for (TFDockForm* form : forms_) tiles_->addWidget(form);
  // Half each, also before the panel has its size.
  tiles_->setStretchFactor(0, 1);
  tiles_->setStretchFactor(1, 1);
  const int whole = orientation == Qt::Horizontal ? pages_->width() : pages_->height();
  tiles_->setSizes({whole / 2, whole - whole / 2});
  for (TFDockForm* form : forms_) form->show();
  ShowGrabbers(true);
  pages_->hide();
}

TFDockForm* TDockArea::DockSiteAt(QPoint global) const {
  for (TFDockForm* form : forms_) {
    if (form->isVisible() && form->rect().contains(form->mapFromGlobal(global))) return form;
  }
  return nullptr;
}

TDockTarget TDockArea::DockZoneAt(QPoint global) const {
  // The zones divide the docking area as it is shown: the page control, or the tile panel.
  QWidget* area = pages_->isVisible() ? static_cast<QWidget*>(pages_) : tilePanel_;
  const QPoint at = area->mapFromGlobal(global);
  const TDockZone zone = GetDockZone(area->width(), area->height(), {at.x(), at.y()});
  if (zone.align == alNone) return {};
  const QRect local(QPoint(zone.preview.left, zone.preview.top),
                    QPoint(zone.preview.right - 1, zone.preview.bottom - 1));
  return {zone.align, QRect(area->mapToGlobal(local.topLeft()), local.size())};
}

void TDockArea::DockFormAt(TFDockForm* target, TFDockForm* dropped, TDockAlign align) {
  if (align == alNone) return;
  const TDockPlacement place = DockPlacement(align);
  if (place.pages) {
    TabLayout();
    pages_->setCurrentWidget(dropped);
    return;
  }
  tilePanel_->show();
  tiles_->setOrientation(place.sideBySide ? Qt::Horizontal : Qt::Vertical);
  tiles_->addWidget(place.droppedFirst ? dropped : target);
  tiles_->addWidget(place.droppedFirst ? target : dropped);
  target->show();
  dropped->show();
  ShowGrabbers(true);
  pages_->hide();
}

bool TDockArea::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      break;
    default:
      return false;
  }
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (watched == pages_->tabBar()) return TabMouse(mouse);
  for (TFDockForm* form : forms_) {
    if (watched == form->Grabber()) return GrabberMouse(form, mouse);
  }
  return false;
}

bool TDockArea::GrabberMouse(TFDockForm* form, QMouseEvent* mouse) {
  if (mouse->type() == QEvent::MouseButtonPress) {
    tab_ = -1;
    return grip_.Press(mouse->button() == Qt::LeftButton, mouse->globalPosition().toPoint()) ==
           TGripStep::Take;
  }
  return DragMouse(form, mouse);
}

bool TDockArea::DragMouse(TFDockForm* form, QMouseEvent* mouse) {
  const QPoint global = mouse->globalPosition().toPoint();
  if (mouse->type() == QEvent::MouseMove) {
    const bool held = (mouse->buttons() & Qt::LeftButton) != 0;
    if (grip_.Move(global, held, QApplication::startDragDistance()) != TGripStep::Drag)
      return false;
    form->DockDragMove(global);
    return true;
  }
  const int tab = std::exchange(tab_, -1);
  switch (grip_.Release()) {
    case TGripStep::Drop:
      form->DockDragEnd(global);
      return true;
    case TGripStep::Click:
      // A click on a page tab shows its page; on a grabber it does nothing.
      if (tab >= 0 && tab == pages_->tabBar()->tabAt(mouse->position().toPoint()))
        pages_->setCurrentIndex(tab);
      return true;
    default:
      return false;
  }
}

bool TDockArea::TabMouse(QMouseEvent* mouse) {
  const QPoint global = mouse->globalPosition().toPoint();
  QTabBar* bar = pages_->tabBar();
  if (mouse->type() == QEvent::MouseButtonPress) {
    // The page changes when the button comes up without a drag, so the form shown stays
    // where it is while another tab is dragged onto it.
    tab_ = mouse->button() == Qt::LeftButton ? bar->tabAt(mouse->position().toPoint()) : -1;
    return grip_.Press(tab_ >= 0, global) == TGripStep::Take;
  }
  auto* form = qobject_cast<TFDockForm*>(pages_->widget(tab_));
  if (form == nullptr) return false;
  return DragMouse(form, mouse);
}
