#include "hoopdesk/panels/panelpicture.h"

#include <QPainter>

#include "hoopdesk/controls/bitmapimage.h"
#include "platform/bitmap.h"
#include "shared/stitchlist.h"

namespace {

constexpr QRgb kPanelWhite = 0xFFFFFF;
constexpr QRgb kPanelSilver = 0xC0C0C0;
constexpr QRgb kThumbnailFrame = 0x808080;
constexpr int kNumberPointSize = 7;

// A rectangle outline covering columns left..right - 1 and rows top..bottom - 1.
void Outline(QPainter& painter, int left, int top, int right, int bottom, QRgb colour) {
  painter.setPen(QColor::fromRgb(colour));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

void PaintThumbnails(QPainter& painter, const TPanelGeometry& geometry, TStitch& queue,
                     const TColorInfo* palette) {
  const int s = geometry.Side();
  if (s < 1) return;
  QFont font = painter.font();
  font.setPointSize(kNumberPointSize);
  painter.setFont(font);
  for (int j = 0; j < queue.GetCount(); ++j) {
    if (!geometry.ThumbnailVisible(j)) continue;
    const int x = geometry.ThumbnailLeft(j);
    const int right = x + s;
    platform::Bitmap thumbnail(s, s);
    queue.DrawItem(j, thumbnail, palette);
    painter.drawImage(x, TPanelGeometry::kTop, ToQImage(thumbnail));
    Outline(painter, x, TPanelGeometry::kTop, right, s + TPanelGeometry::kTop, kThumbnailFrame);
    const int centre = (x + right) / 2;
    const QRect below(centre - geometry.Pitch() / 2, s + 6, geometry.Pitch(),
                      painter.fontMetrics().height());
    painter.setPen(Qt::black);
    painter.drawText(below, Qt::AlignHCenter | Qt::AlignTop, QString::number(j + 1));
  }
}

}  // namespace

QImage PaintPanel(int width, int height, int off, bool canTake, TStitch& queue,
                  const TColorInfo* palette) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(QColor::fromRgb(canTake ? kPanelWhite : kPanelSilver));
  QPainter painter(&image);
  if (canTake) PaintThumbnails(painter, TPanelGeometry(width, height, off), queue, palette);
  Outline(painter, 0, 0, width, height, 0x000000);
  return image;
}

// The pictures live in a static library: its resources are registered on first use.
static bool RegisterSewPictures() {
  Q_INIT_RESOURCE(sewpictures);
  return true;
}

QPixmap SewPicture(std::uint32_t resId) {
  static const bool registered = RegisterSewPictures();
  (void)registered;
  return QPixmap(QStringLiteral(":/sew/%1.png").arg(resId));
}
