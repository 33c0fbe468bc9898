#include "hoopdesk/controls/panelimage.h"

#include <QPainter>

void TPanelImage::paintEvent(QPaintEvent* event) {
  if (pixmap().isNull()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawPixmap(contentsRect().topLeft(), pixmap());
}
