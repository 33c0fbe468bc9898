// What a trace frame's picture shows, counted from its pixels.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "hoopdesk/trace/ftraceframe.h"

// Pixels of the trace picture in a thread colour: neither the background nor a grey.
inline int ColouredPixels(TFTraceFrame* frame) {
  const QImage image = frame->findChild<QWidget*>("DrawImg")->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() != c.green() || c.green() != c.blue()) ++count;
    }
  return count;
}
