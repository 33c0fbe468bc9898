// The Order list on its widget: one owner-drawn row per design of the layout window (its 50 x 50
// picture with white left out, and its name), and moving a row by dragging it with the left
// button onto another row. The list's own drag and drop is off: a drop outside every row moves
// nothing, and a row dropped on itself is still reported, so the owner can tell the colour frame
// and the layout window.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

#include "hoopdesk/docking/dockgrip.h"
#include "hoopdesk/mainwindow/orderdrop.h"

class QImage;
class QListWidget;
class QListWidgetItem;
class QStyledItemDelegate;

// A row of the list: the design's picture and name, 64 pixels high.
std::unique_ptr<QListWidgetItem> MakeOrderItem(const QImage& picture, const QString& name);

class TOrderList : public QObject {
 public:
  // Called after a drop has moved the row from `source` to `target` (the same row for a drop on
  // itself); the owner moves the design and selects the row.
  using TMoved = std::function<void(int source, int target)>;

  // `list` belongs to the window and outlives this object.
  TOrderList(QListWidget* list, TMoved moved);
  ~TOrderList() override;

  int DropMark() const { return drop_.DropMark(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The row under a point of the list's viewport, -1 beside the rows.
  int ItemAt(QPoint point) const;
  void DragOver(QPoint point);
  void DragDrop(QPoint point);
  void UpdateRow(int row) const;
  void SetDragCursor(bool overList);
  void EndDragCursor();

  QListWidget* list_;
  TMoved moved_;
  TOrderDrop drop_;
  // The same press, move past the drag distance and release as a dock form's grip.
  TDockGrip gesture_;
  std::unique_ptr<QStyledItemDelegate> delegate_;
  bool cursorSet_ = false;
};
