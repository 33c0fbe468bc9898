#include "hoopdesk/trace/traceimage.h"

#include <QImage>
#include <QPainter>
#include <QResizeEvent>

TTraceImage::TTraceImage(QWidget* parent) : QWidget(parent) {
  setObjectName("DrawImg");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTraceImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  bitmap_.SetSize(std::max(0, width()), std::max(0, height()));
  if (onResize_) onResize_();
}

void TTraceImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const std::uint8_t* pixels = bitmap_.Pixels();
  if (pixels == nullptr || bitmap_.BitsPerPixel() != 24) {
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    return;
  }
  // The bitmap is bottom-up: rows are turned over while copying them into the screen's own
  // format, only for the part that needs painting.
  const QRect area = event->rect() & QRect(0, 0, bitmap_.Width(), bitmap_.Height());
  if (area.isEmpty()) return;
  if (screen_.size() != QSize(bitmap_.Width(), bitmap_.Height()))
    screen_ = QImage(bitmap_.Width(), bitmap_.Height(), QImage::Format_RGB32);
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const std::uint8_t* from = pixels +
                               static_cast<std::size_t>(bitmap_.Height() - 1 - y) *
                                   static_cast<std::size_t>(bitmap_.BytesPerRow()) +
                               static_cast<std::size_t>(area.left()) * 3;
    auto* to = reinterpret_cast<QRgb*>(screen_.scanLine(y)) + area.left();
    for (int x = 0; x < area.width(); ++x, from += 3) *to++ = qRgb(from[2], from[1], from[0]);
  }
  painter.drawImage(area.topLeft(), screen_, area);
}
