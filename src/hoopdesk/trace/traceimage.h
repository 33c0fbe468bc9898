// The picture of a trace frame ("DrawImg"): a 24-bit design bitmap the size of the widget,
// which the frame's trace painting draws into and the widget shows as it stands.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "platform/bitmap.h"

class TTraceImage : public QWidget {
 public:
  explicit TTraceImage(QWidget* parent = nullptr);

  platform::Bitmap& Bitmap() { return bitmap_; }
  const platform::Bitmap& Bitmap() const { return bitmap_; }
  // Called after the bitmap took a new size (all black), to draw it again.
  void SetOnResize(std::function<void()> onResize) { onResize_ = std::move(onResize); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  platform::Bitmap bitmap_;
  QImage screen_;  // what was last painted, top-down in the screen's format
  std::function<void()> onResize_;
};
