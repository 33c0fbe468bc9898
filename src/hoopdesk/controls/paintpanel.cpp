#include "hoopdesk/controls/paintpanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "hoopdesk/controls/frame3d.h"

namespace {

// The keys the panel keeps: arrows and characters. Return, Escape and Tab go on to the dialog.
bool Wanted(const QKeyEvent& key) {
  const int k = key.key();
  if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) return true;
  return !key.text().isEmpty() && key.text().at(0).isPrint();
}

}  // namespace

TPaintPanel::TPaintPanel(QWidget* parent)
    : QWidget(parent), color_(palette().color(QPalette::Window)) {
  setFocusPolicy(Qt::NoFocus);
}

void TPaintPanel::SetBevelOuter(TBevel bevel) {
  if (bevel == bevel_) return;
  bevel_ = bevel;
  update();
}

void TPaintPanel::SetColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  update();
}

void TPaintPanel::SetTabStop(bool tabStop) {
  setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

// Arrow keys and characters belong to the panel while it has the focus: no shortcut of the
// window takes them first.
bool TPaintPanel::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    if (Wanted(*static_cast<QKeyEvent*>(event))) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

void TPaintPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), color_);
  if (bevel_ != TBevel::bvNone) Frame3D(p, palette(), rect(), bevel_ == TBevel::bvRaised ? 1 : -1);
  canvas_ = &p;
  emit paint(this);
  canvas_ = nullptr;
}

void TPaintPanel::mousePressEvent(QMouseEvent* event) {
  emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  emit dblClick();
  QWidget::mouseDoubleClickEvent(event);
}

void TPaintPanel::keyPressEvent(QKeyEvent* event) {
  emit keyDown(event->key(), event->modifiers());
  if (!Wanted(*event)) {
    event->ignore();
    return;
  }
  if (!event->text().isEmpty()) emit keyPress(event->text());
  event->accept();
}

void TPaintPanel::keyReleaseEvent(QKeyEvent* event) {
  emit keyUp(event->key(), event->modifiers());
  event->setAccepted(Wanted(*event));
}

void TPaintPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit resized();
}
