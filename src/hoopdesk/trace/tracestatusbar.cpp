#include "hoopdesk/trace/tracestatusbar.h"

#include <QPainter>

TTraceStatusBar::TTraceStatusBar(QWidget* parent) : QWidget(parent) {
  setObjectName("StatusBar");
  setFixedHeight(sizeHint().height());
}

QSize TTraceStatusBar::sizeHint() const { return {200, fontMetrics().height() + 6}; }

QString TTraceStatusBar::PanelText(int panel) const {
  return panel == 0 || panel == 1 ? texts_[static_cast<std::size_t>(panel)] : QString();
}

void TTraceStatusBar::SetPanelText(int panel, const QString& text) {
  if (panel != 0 && panel != 1) return;
  auto& stored = texts_[static_cast<std::size_t>(panel)];
  if (stored == text) return;
  stored = text;
  update(PanelRect(panel));
}

void TTraceStatusBar::SetAlarm(bool alarm) {
  if (alarm_ == alarm) return;
  alarm_ = alarm;
  update();
}

QRect TTraceStatusBar::PanelRect(int panel) const {
  const int split = std::min(kStatePanelWidth, width());
  return panel == 0 ? QRect(0, 0, split, height()) : QRect(split, 0, width() - split, height());
}

void TTraceStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  StatusBarDrawPanel(painter, 0);
  StatusBarDrawPanel(painter, 1);
}

void TTraceStatusBar::StatusBarDrawPanel(QPainter& painter, int panel) {
  const QRect r = PanelRect(panel);
  painter.fillRect(r, alarm_ ? QColor(255, 0, 0) : palette().color(QPalette::Window));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(r.adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(r.adjusted(3, 1, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   texts_[static_cast<std::size_t>(panel)]);
}
