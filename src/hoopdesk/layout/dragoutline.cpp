#include "hoopdesk/layout/dragoutline.h"

#include <QPainter>

TDragOutline::TDragOutline(QWidget* window) : QWidget(window) {
  setObjectName("DragOutline");
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
}

void TDragOutline::ShowAt(const QRect& rect) {
  setGeometry(rect.adjusted(-1, -1, 1, 1));
  show();
  raise();
}

void TDragOutline::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}
