// Pixel helpers for the controls' drawing tests.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

inline QImage Drawn(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// A colour as the screen shows it, 8 bits a channel, for comparing with drawn pixels.
inline QColor Rgb(const QColor& color) { return QColor::fromRgb(color.rgb()); }

inline bool IsBlack(const QImage& image, int x, int y) {
  return image.pixel(x, y) == qRgb(0, 0, 0);
}
