// The base of the two windows the main window docks: the layout and the trace window. Both
// live for the whole run and are moved between the main window's page control (tabs) and its
// tile panel; closing them is refused. Each is a dock site and can itself be docked: another
// dock form dragged over it shows where it would go, and dropped there it goes beside it
// (tiles) or joins it as a page. Nothing but a dock form is accepted. While tiled, a form shows
// a grabber strip along its top, by which it is dragged (a page is dragged by its tab). Both
// paint on a white or gray background that their pop-up menus choose.
#pragma once

#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "hoopdesk/controls/colorref.h"

class QAction;
class QMenu;
class QRubberBand;
class TDockHost;

class TFDockForm : public QWidget {
  Q_OBJECT
 public:
  explicit TFDockForm(QWidget* parent = nullptr);
  ~TFDockForm() override;

  std::uint32_t BackColor() const { return backColor_; }
  void SetDockHost(TDockHost* host) { host_ = host; }

  // Docking onto this form is always allowed.
  bool FormGetSiteInfo() const { return true; }
  // Whether a dragged object may dock here: only another dock form.
  bool FormDockOver(const QObject* dragged) const;

  // The drag of this form to another dock site, driven by the gesture on one of its grips
  // (TDockGrip; the main window's page tab): points are global. A move shows where the form
  // would go; the end docks it there.
  void DockDragMove(QPoint global);
  void DockDragEnd(QPoint global);

  // The grabber strip: shown while the form is tiled, hidden while it is a page. The form's own
  // controls lie below it.
  void ShowGrabber(bool shown);
  QWidget* Grabber() const { return grabber_.get(); }
  static constexpr int kGrabberHeight = 16;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The area below the grabber changed without a resize: forms that place their controls by
  // hand place them again.
  virtual void ClientAreaChanged() {}
  // The pop-up menu "PopupMenu" with its two background items, for the form to extend.
  QMenu* MakePopupMenu();
  // Ticks the item of the present background.
  void CheckBackColorItem();
  void SetBackColorValue(std::uint32_t colour) { backColor_ = colour; }
  virtual void OnBackColorItem(std::uint32_t colour) = 0;

 private:
  // The visible dock form under a global point, other than this one; null for none.
  TFDockForm* SiteAt(QPoint global) const;

  std::uint32_t backColor_ = kBackWhite;
  QAction* menuWhite_ = nullptr;
  QAction* menuGray_ = nullptr;
  TDockHost* host_ = nullptr;
  // On the window while a drag is under way. Made after the form, it goes before the window
  // would delete it: a closing window deletes the form (and so the preview) first.
  std::unique_ptr<QRubberBand> preview_;
  std::unique_ptr<QWidget> grabber_;
};
