#include "hoopdesk/controls/frame3d.h"

#include <QPainter>
#include <QPalette>
#include <cstdlib>

void Frame3D(QPainter& painter, const QPalette& palette, QRect rect, int width) {
  if (width == 0) return;
  const QColor light = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  const QColor& topLeft = width > 0 ? light : shadow;
  const QColor& bottomRight = width > 0 ? shadow : light;
  for (int ring = std::abs(width); ring > 0 && rect.width() > 0 && rect.height() > 0; --ring) {
    // Fill whole pixel rows and columns: the lines are the rectangle's outermost pixels.
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    rect.adjust(1, 1, -1, -1);
  }
}

void RaisedVLine(QPainter& painter, const QPalette& palette, int x, int top, int bottom) {
  if (bottom <= top) return;
  painter.fillRect(QRect(x, top, 1, bottom - top), palette.color(QPalette::Light));
  painter.fillRect(QRect(x + 1, top, 1, bottom - top), palette.color(QPalette::Dark));
}
