#include "hoopdesk/controls/liftbutton.h"

#include <QPainter>

#include "hoopdesk/controls/frame3d.h"

TLiftButton::TLiftButton(QWidget* parent) : QToolButton(parent) {}

void TLiftButton::SetLiftMode(TLiftMode mode) {
  if (mode == liftMode_) return;
  liftMode_ = mode;
  update();
}

void TLiftButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  QPainter p(this);
  const int w = width();
  const int h = height();
  RaisedVLine(p, palette(), 10, 2, h - 3);
  RaisedVLine(p, palette(), 14, 2, h - 3);
  if (liftMode_ == TLiftMode::lmNone) return;

  const int c = (h - 12) / 2;
  QPoint triangle[3];
  if (liftMode_ == TLiftMode::lmUp) {
    triangle[0] = {w - 14, c};
    triangle[1] = {w - 20, h - c};
    triangle[2] = {w - 8, h - c};
  } else {
    triangle[0] = {w - 14, h - c};
    triangle[1] = {w - 8, c};
    triangle[2] = {w - 20, c};
  }
  p.setPen(Qt::black);
  p.setBrush(Qt::black);
  p.drawPolygon(triangle, 3);
}
