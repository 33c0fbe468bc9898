#include "hoopdesk/controls/dropdownbutton.h"

#include <QAction>
#include <QCursor>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "hoopdesk/controls/frame3d.h"

namespace {

// How one press state is drawn: the image's shift, the frames of both parts (positive raised,
// negative sunken, 0 none) and the arrow's shift.
struct TLook {
  int imageOffset;
  int buttonFrame;
  int arrowFrame;
  int arrowOffset;
};

TLook LookOf(TDropDownButton::TPressState state, bool flat, bool inside, bool active) {
  using S = TDropDownButton::TPressState;
  if (state == S::DroppedDown) return {0, flat ? 1 : 2, -1, 1};
  if (state == S::Pressed) return flat ? TLook{1, -1, -1, 1} : TLook{2, -2, -1, 1};
  if (flat && !inside && !active) return {0, 0, 0, 0};
  if (!flat && inside) return {0, 2, 1, 0};
  return {0, 1, 1, 0};
}

}  // namespace

TDropDownButton::TDropDownButton(QWidget* parent)
    : QWidget(parent), color_(palette().color(QPalette::Button)) {
  setAttribute(Qt::WA_Hover);
}

void TDropDownButton::SetDropDownMenu(QMenu* menu) {
  if (menu == menu_) return;
  if (menu_) disconnect(menu_, nullptr, this, nullptr);
  menu_ = menu;
  if (menu_) connect(menu_, &QMenu::aboutToHide, this, &TDropDownButton::MenuClosed);
  update();
}

void TDropDownButton::SetImages(const QList<QPixmap>& images) {
  images_ = images;
  update();
}

void TDropDownButton::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  update();
}

void TDropDownButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  update();
}

void TDropDownButton::SetColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void TDropDownButton::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  update();
}

void TDropDownButton::SetPressState(TPressState state) {
  pressState_ = state;
  update();
}

bool TDropDownButton::MenuShowing() const { return menu_ && menu_->isVisible(); }

void TDropDownButton::enterEvent(QEnterEvent* event) {
  mouseInside_ = true;
  update();
  QWidget::enterEvent(event);
}

void TDropDownButton::leaveEvent(QEvent* event) {
  mouseInside_ = false;
  // The open menu takes the pointer: the button keeps its dropped-down look until it closes.
  if (pressState_ != TPressState::DroppedDown) SetPressState(TPressState::Idle);
  QWidget::leaveEvent(event);
}

void TDropDownButton::mousePressEvent(QMouseEvent* event) {
  lastCursor_ = event->position().toPoint();
  if (event->button() != Qt::LeftButton || pressState_ != TPressState::Idle || !menu_) return;
  if (lastCursor_.x() >= width() - kArrowWidth)
    DropDown();
  else if (!MenuShowing())
    SetPressState(TPressState::Pressed);
}

void TDropDownButton::mouseReleaseEvent(QMouseEvent* event) {
  lastCursor_ = event->position().toPoint();
  if (event->button() != Qt::LeftButton || pressState_ != TPressState::Pressed || MenuShowing())
    return;
  pressState_ = TPressState::Idle;
  if (action_)
    action_->trigger();
  else
    emit clicked();
  update();
}

void TDropDownButton::DropDown() {
  if (!menu_ || MenuShowing()) return;
  SetPressState(TPressState::DroppedDown);
  repaint();
  menu_->setProperty("PopupComponent", QVariant::fromValue<QObject*>(this));
  QPoint corner(0, height());
  if (!flat_) corner -= QPoint(1, 1);
  menu_->popup(mapToGlobal(corner));
}

// The menu closed: the button looks again at where the mouse is.
void TDropDownButton::MenuClosed() {
  if (pressState_ != TPressState::DroppedDown) return;
  lastCursor_ = mapFromGlobal(QCursor::pos());
  mouseInside_ = rect().contains(lastCursor_);
  SetPressState(TPressState::Idle);
  if (menu_) menu_->setProperty("PopupComponent", QVariant());
}

void TDropDownButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), color_);
  if (!menu_) return;

  const TLook look = LookOf(pressState_, flat_, mouseInside_, active_);
  const QRect buttonPart(0, 0, width() - kArrowWidth, height());
  const QRect arrowPart(width() - kArrowWidth, 0, kArrowWidth, height());

  // Hovered or active the next image shows; a list without one keeps the same image.
  int index = imageIndex_ + (mouseInside_ || active_ ? 1 : 0);
  if (index >= images_.size()) index = imageIndex_;
  if (imageIndex_ >= 0 && index < images_.size()) {
    const QPixmap& image = images_.at(index);
    const QSize size = image.deviceIndependentSize().toSize();
    p.drawPixmap((buttonPart.width() - size.width()) / 2 + look.imageOffset,
                 (buttonPart.height() - size.height()) / 2 + look.imageOffset, image);
  }
  Frame3D(p, palette(), buttonPart, look.buttonFrame);
  Frame3D(p, palette(), arrowPart, look.arrowFrame);

  const int l = width() - 12 + look.arrowOffset;
  const int t = (height() - 6) / 2 + look.arrowOffset;
  const QPoint arrow[] = {{l, t}, {l + 4, t + 6}, {l + 8, t}};
  p.setPen(Qt::black);
  p.setBrush(Qt::black);
  p.drawPolygon(arrow, 3);
}
