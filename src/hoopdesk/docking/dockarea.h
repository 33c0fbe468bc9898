// TDockArea: where the main window docks its two dock forms (the layout and the trace window):
// as pages of a page control (the tab layout) or tiled in a splitter on a panel, side by side or
// stacked (the tile layouts). It answers the forms' docking requests and lets a page tab, or a
// tiled form's grabber, drag its form onto the other one through the grip gesture: from the
// tiles back to pages, or to another side.
#pragma once

#include <QObject>
#include <array>

#include "hoopdesk/docking/dockgrip.h"
#include "hoopdesk/docking/dockhost.h"

class QMouseEvent;
class QSplitter;
class QTabWidget;
class QWidget;

class TDockArea : public QObject, public TDockHost {
 public:
  // The widgets belong to the window and outlive the area. The forms come in page order: the
  // first one leads in the tab layout and is placed first in the tile layouts.
  TDockArea(QTabWidget* pages, QWidget* tilePanel, QSplitter* tiles,
            std::array<TFDockForm*, 2> forms);

  // The forms as pages, in their order, and shown.
  void ShowAsPages();
  // Back to pages from the tile panel, the first form's page first and shown.
  void TabLayout();
  // Both forms in the tile panel, half each, the first one left or on top.
  void Tile(Qt::Orientation orientation);

  TFDockForm* DockSiteAt(QPoint global) const override;
  TDockTarget DockZoneAt(QPoint global) const override;
  void DockFormAt(TFDockForm* target, TFDockForm* dropped, TDockAlign align) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddPages();
  // A mouse event on the page tabs: true when the gesture took it.
  bool TabMouse(QMouseEvent* mouse);
  // A mouse event on `form`'s grabber: true when the gesture took it.
  bool GrabberMouse(TFDockForm* form, QMouseEvent* mouse);
  // A move or release of the gesture that drags `form`; true when taken.
  bool DragMouse(TFDockForm* form, QMouseEvent* mouse);
  // Shows the grabbers exactly while the forms are tiled.
  void ShowGrabbers(bool shown);

  QTabWidget* pages_;
  QWidget* tilePanel_;
  QSplitter* tiles_;
  std::array<TFDockForm*, 2> forms_;
  TDockGrip grip_;
  int tab_ = -1;  // the page tab pressed, whose form a drag docks
};
