#include "hoopdesk/controls/draglabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <memory>

TDragLabel::TDragLabel(QWidget* window, const QPixmap& picture, const QString& name,
                       Qt::CursorShape dropCursor)
    : label_(new QLabel(window)), dropCursor_(dropCursor) {
  label_->setObjectName(name);
  label_->setPixmap(picture);
  label_->resize(picture.deviceIndependentSize().toSize());
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  label_->show();
  label_->raise();
  QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
}

TDragLabel::~TDragLabel() {
  // Still alive unless the window went first.
  const std::unique_ptr<QLabel> label(label_.data());
  QGuiApplication::restoreOverrideCursor();
}

QLabel* TDragLabel::Label() const { return label_.data(); }

void TDragLabel::Follow(QPoint global) {
  if (label_ == nullptr) return;
  const QWidget* window = label_->parentWidget();
  const QPoint at = window != nullptr ? window->mapFromGlobal(global) : global;
  label_->move(at - QPoint(label_->width() / 2, label_->height() / 2));
}

void TDragLabel::SetCanDrop(bool canDrop) {
  if (canDrop == canDrop_) return;
  canDrop_ = canDrop;
  QGuiApplication::changeOverrideCursor(canDrop ? dropCursor_ : Qt::ForbiddenCursor);
}
