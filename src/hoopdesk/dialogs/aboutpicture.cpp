#include "hoopdesk/dialogs/aboutpicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QPixmap AboutPicture(QSize size) {
  QPixmap picture(size);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = size.width();
  const qreal h = size.height();
  QLinearGradient sky(0, 0, w, h);
  sky.setColorAt(0, QColor(0x1B, 0x3A, 0x6B));
  sky.setColorAt(1, QColor(0x3D, 0x7E, 0xC9));
  p.fillRect(picture.rect(), sky);

  // The hoop: two rings, the fabric inside and a running stitch across it.
  const QRectF hoop(h * 0.12, h * 0.12, h * 0.76, h * 0.76);
  p.setPen(QPen(QColor(0xC8, 0x96, 0x5A), h * 0.06));
  p.setBrush(QColor(0xF6, 0xF1, 0xE7));
  p.drawEllipse(hoop);
  p.setPen(QPen(QColor(0xE0, 0x3C, 0x5A), h * 0.03, Qt::DashLine, Qt::RoundCap));
  QPainterPath stitch;
  stitch.moveTo(hoop.left() + hoop.width() * 0.2, hoop.center().y() + hoop.height() * 0.15);
  stitch.cubicTo(hoop.left() + hoop.width() * 0.4, hoop.top() + hoop.height() * 0.1,
                 hoop.left() + hoop.width() * 0.6, hoop.bottom() - hoop.height() * 0.1,
                 hoop.right() - hoop.width() * 0.2, hoop.center().y() - hoop.height() * 0.15);
  p.setBrush(Qt::NoBrush);
  p.drawPath(stitch);

  QFont title = p.font();
  title.setPixelSize(static_cast<int>(h * 0.36));
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(h, 0, w - h, h), Qt::AlignVCenter | Qt::AlignLeft, "Pellora");
  return picture;
}
