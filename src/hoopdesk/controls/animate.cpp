#include "hoopdesk/controls/animate.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kTransferFrames = 8;
constexpr int kFrameMs = 100;

// The transfer clip: a design sheet on the left and stitches that run from it to the right,
// one step further on each frame.
void PaintTransferFrame(QPainter& p, const QRect& area, int frame) {
  p.fillRect(area, QColor(0xEE, 0xF3, 0xFA));
  p.setRenderHint(QPainter::Antialiasing);
  const qreal w = area.width();
  const qreal h = area.height();
  const QRectF sheet(area.left() + w * 0.08, area.top() + h * 0.2, w * 0.3, h * 0.6);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  p.setBrush(Qt::white);
  p.drawRect(sheet);
  p.setPen(QPen(QColor(0x1E, 0x6F, 0xD9), 1.5));
  for (int i = 1; i <= 3; ++i) {
    const qreal y = sheet.top() + sheet.height() * i / 4;
    p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
  }
  // Three dots travel along the path to the right edge.
  const qreal start = sheet.right() + 2;
  const qreal span = area.right() - start - 2;
  p.setPen(Qt::NoPen);
  for (int dot = 0; dot < 3; ++dot) {
    const int step = (frame + dot * kTransferFrames / 3) % kTransferFrames;
    const qreal x = start + span * step / (kTransferFrames - 1);
    p.setBrush(QColor(0x1E, 0x6F, 0xD9));
    p.drawEllipse(QPointF(x, area.top() + h / 2), 2.0, 2.0);
  }
}

}  // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, &TAnimate::NextFrame);
}

int TAnimate::FrameCount(int resId) { return resId == kTransferClip ? kTransferFrames : 0; }

bool TAnimate::Open(int resId) {
  Stop();
  clip_ = FrameCount(resId) > 0 ? resId : 0;
  frame_ = 0;
  update();
  return clip_ != 0;
}

void TAnimate::Play() {
  if (clip_ == 0) return;
  frame_ = 0;
  timer_.start();
  update();
}

void TAnimate::Stop() { timer_.stop(); }

void TAnimate::NextFrame() {
  frame_ = (frame_ + 1) % FrameCount(clip_);
  update();
}

void TAnimate::paintEvent(QPaintEvent*) {
  if (clip_ == 0) return;
  QPainter p(this);
  PaintTransferFrame(p, rect(), frame_);
}
