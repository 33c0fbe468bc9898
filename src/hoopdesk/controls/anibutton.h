// TAniButton: a push button that shows an animation over its face while it is active, such as
// the machine panels' send buttons during a transfer.
#pragma once

#include <QPushButton>
#include <memory>

class TAnimate;

class TAniButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(int ResId READ ResId WRITE SetResId)
  Q_PROPERTY(bool Active READ Active WRITE SetActive)

 public:
  explicit TAniButton(QWidget* parent = nullptr);
  ~TAniButton() override;

  int ResId() const { return resId_; }
  // Takes effect at the next activation.
  void SetResId(int resId) { resId_ = resId; }

  // True while the animation plays; false when there is none.
  bool Active() const;
  // true: makes the animation control (once), inside the button's face, and plays the clip;
  // false: stops it and frees the control.
  void SetActive(bool active);

  // The animation control while there is one.
  TAnimate* Animation() const { return animate_.get(); }

 private:
  int resId_ = 0;
  std::unique_ptr<TAnimate> animate_;
};
