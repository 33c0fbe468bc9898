// TPaintPanel: a panel its owner draws on. It paints its background and bevel, then emits
// paint() with Canvas() ready; it takes the arrow keys and characters, so key handlers such as a
// list's up and down moves see them.
#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

class TPaintPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)

 public:
  enum class TBevel { bvNone, bvLowered, bvRaised };

  explicit TPaintPanel(QWidget* parent = nullptr);

  // The painter of the paint in progress; null outside paint().
  QPainter* Canvas() const { return canvas_; }

  TBevel BevelOuter() const { return bevel_; }
  void SetBevelOuter(TBevel bevel);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
  void SetTabStop(bool tabStop);

 signals:
  void paint(TPaintPanel* sender);
  void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
  void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
  void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
  void dblClick();
  void keyDown(int key, Qt::KeyboardModifiers modifiers);
  void keyPress(const QString& text);
  void keyUp(int key, Qt::KeyboardModifiers modifiers);
  void resized();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPainter* canvas_ = nullptr;
  TBevel bevel_ = TBevel::bvRaised;
  QColor color_;
};
