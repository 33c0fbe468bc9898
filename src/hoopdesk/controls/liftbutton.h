// TLiftButton: a tool button with a grip of two raised lines and an arrow that says whether
// pressing it lifts something up or lets it down, such as the folder tree's header button.
#pragma once

#include <QToolButton>

enum class TLiftMode { lmNone, lmUp, lmDown };

class TLiftButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TLiftButton(QWidget* parent = nullptr);

  TLiftMode LiftMode() const { return liftMode_; }
  void SetLiftMode(TLiftMode mode);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TLiftMode liftMode_ = TLiftMode::lmNone;
};
