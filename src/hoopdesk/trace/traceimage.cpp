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
  // The bitmap is bottom-up: seen through a QImage its rows run upwards, so the painter
  // flips them instead of copying the picture at every trace step.
  const QImage view(pixels, bitmap_.Width(), bitmap_.Height(), bitmap_.BytesPerRow(),
                    QImage::Format_BGR888);
  painter.translate(0, bitmap_.Height());
  painter.scale(1, -1);
  painter.drawImage(0, 0, view);
}
