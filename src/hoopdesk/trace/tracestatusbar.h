// The two-panel status bar under a trace frame: the machine's run state on the left (100
// pixels) and its last error in the rest. Both panels turn red while the machine reports an
// error.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class TTraceStatusBar : public QWidget {
 public:
  static constexpr int kStatePanelWidth = 100;

  explicit TTraceStatusBar(QWidget* parent = nullptr);

  QString PanelText(int panel) const;
  void SetPanelText(int panel, const QString& text);
  bool IsAlarm() const { return alarm_; }
  void SetAlarm(bool alarm);
  // The rectangle of panel 0 or 1.
  QRect PanelRect(int panel) const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Fills the panel red in an alarm, else in the bar's colour, and writes its text.
  void StatusBarDrawPanel(QPainter& painter, int panel);

  std::array<QString, 2> texts_;
  bool alarm_ = false;
};
