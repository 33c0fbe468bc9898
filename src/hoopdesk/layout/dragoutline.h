// The outline of a design being dragged: a dotted rectangle floating over the window, which
// follows the pointer and lets the mouse through.
#pragma once

#include <QWidget>

class TDragOutline : public QWidget {
 public:
  explicit TDragOutline(QWidget* window);
  // Shows the outline at `rect` (window coordinates).
  void ShowAt(const QRect& rect);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
