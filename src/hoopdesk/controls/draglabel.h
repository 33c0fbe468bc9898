// TDragLabel: the picture that follows the mouse over a window while something is dragged
// inside the program (a thumbnail, a queued design, a thread colour), with the cursor that says
// whether it can be dropped where it is. It lives exactly as long as the drag: made when the
// drag begins, destroyed when it ends, and whoever holds it going in mid-drag takes the label
// and the cursor with it.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

class TDragLabel {
 public:
  // Floats `picture` (its hot spot the centre) over `window` and sets the no-drop cursor.
  // `name` is the label's object name; `dropCursor` the cursor where a drop is possible.
  TDragLabel(QWidget* window, const QPixmap& picture, const QString& name,
             Qt::CursorShape dropCursor);
  ~TDragLabel();
  TDragLabel(const TDragLabel&) = delete;
  TDragLabel& operator=(const TDragLabel&) = delete;

  // Puts the picture's centre under the pointer at `global` (screen coordinates).
  void Follow(QPoint global);
  void SetCanDrop(bool canDrop);
  bool CanDrop() const { return canDrop_; }
  // Null once the window has gone (it takes its children with it).
  QLabel* Label() const;

 private:
  QPointer<QLabel> label_;
  Qt::CursorShape dropCursor_;
  bool canDrop_ = false;
};
