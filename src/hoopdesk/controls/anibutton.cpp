#include "hoopdesk/controls/anibutton.h"

#include "hoopdesk/controls/animate.h"

TAniButton::TAniButton(QWidget* parent) : QPushButton(parent) {}

// The animation control goes before the button, which would otherwise delete it as its child.
TAniButton::~TAniButton() = default;

bool TAniButton::Active() const { return animate_ && animate_->IsActive(); }

void TAniButton::SetActive(bool active) {
  if (active) {
    if (animate_) return;
    animate_ = std::make_unique<TAnimate>(this);
    animate_->setGeometry(2, 2, width() - 4, height() - 4);
    animate_->setAttribute(Qt::WA_TransparentForMouseEvents);
    animate_->Open(resId_);
    animate_->show();
    animate_->Play();
  } else if (animate_) {
    animate_->Stop();
    animate_.reset();
  }
}
