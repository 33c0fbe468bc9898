// TFPellora: what its dock forms ask of it. For a design dragged out of the layout window: the
// trash button, the machine panel under the pointer, the order list's row. For docking: one
// form dragged by its page tab onto the other; the side zones tile them in the main panel, the
// middle zone makes them pages again.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <array>

#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/layout/flayout.h"
#include "hoopdesk/mainwindow/dockzone.h"
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/trace/ftrace.h"

void TFPellora::SetTrashActive(bool active) { ui_.TrashBtn->SetActive(active); }

int TFPellora::MachineAtFormPoint(int x, int y) const {
  return panels_.MachineAtPoint(mapToGlobal(QPoint(x, y)));
}

void TFPellora::SelectOrderRow(int position) { ui_.ListBox->setCurrentRow(position); }

TFDockForm* TFPellora::DockSiteAt(QPoint global) const {
  for (TFDockForm* form : std::initializer_list<TFDockForm*>{layout_, trace_}) {
    if (form->isVisible() && form->rect().contains(form->mapFromGlobal(global))) return form;
  }
  return nullptr;
}

TDockTarget TFPellora::DockZoneAt(QPoint global) const {
  // The zones divide the docking area as it is shown: the page control, or the tile panel.
  QWidget* area =
      ui_.MainPageControl->isVisible() ? static_cast<QWidget*>(ui_.MainPageControl) : ui_.MainPanel;
  const QPoint at = area->mapFromGlobal(global);
  const TDockZone zone = GetDockZone(area->width(), area->height(), {at.x(), at.y()});
  if (zone.align == alNone) return {};
  const QRect local(QPoint(zone.preview.left, zone.preview.top),
                    QPoint(zone.preview.right - 1, zone.preview.bottom - 1));
  return {zone.align, QRect(area->mapToGlobal(local.topLeft()), local.size())};
}

void TFPellora::DockFormAt(TFDockForm* target, TFDockForm* dropped, int align) {
  if (align == alClient) {
    MenuWindowTabClick();
    ui_.MainPageControl->setCurrentWidget(dropped);
    return;
  }
  ui_.MainPanel->show();
  ui_.MainPanelSplitter->setOrientation(align == alLeft || align == alRight ? Qt::Horizontal
                                                                            : Qt::Vertical);
  const bool droppedFirst = align == alLeft || align == alTop;
  ui_.MainPanelSplitter->addWidget(droppedFirst ? dropped : target);
  ui_.MainPanelSplitter->addWidget(droppedFirst ? target : dropped);
  target->show();
  dropped->show();
  ui_.MainPageControl->hide();
}

// A page tab pressed and dragged beyond the drag distance drags its dock form.
bool TFPellora::DockTabMouse(QEvent* event) {
  const auto type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint global = mouse->globalPosition().toPoint();
  QTabBar* bar = ui_.MainPageControl->tabBar();
  if (type == QEvent::MouseButtonPress) {
    // The page changes when the button comes up without a drag, so the form shown stays
    // where it is while another tab is dragged onto it.
    dockTab_ = mouse->button() == Qt::LeftButton ? bar->tabAt(mouse->position().toPoint()) : -1;
    dockPress_ = global;
    return dockTab_ >= 0;
  }
  auto* form = qobject_cast<TFDockForm*>(ui_.MainPageControl->widget(dockTab_));
  if (form == nullptr) return false;
  if (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton)) {
    if (!form->DockDragging() &&
        (global - dockPress_).manhattanLength() < QApplication::startDragDistance())
      return false;
    form->DockDragMove(global);
    return true;
  }
  if (type == QEvent::MouseButtonRelease) {
    const int tab = std::exchange(dockTab_, -1);
    if (form->DockDragging()) {
      form->DockDragEnd(global);
    } else if (tab == bar->tabAt(mouse->position().toPoint())) {
      ui_.MainPageControl->setCurrentIndex(tab);
    }
    return true;
  }
  return false;
}
