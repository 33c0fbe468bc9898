// TDropDownButton: a button with an arrow part on its right that drops down a menu, such as the
// trash button with its delete modes. The button part runs its action or emits clicked().
#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <QAction>
#include <QMenu>

class TDropDownButton : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
  Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
  Q_PROPERTY(QColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool Active READ Active WRITE SetActive)

 public:
  // The width of the arrow part at the right edge.
  static constexpr int kArrowWidth = 15;

  enum class TPressState { Idle = 0, DroppedDown = 1, Pressed = 2 };

  explicit TDropDownButton(QWidget* parent = nullptr);

  QMenu* DropDownMenu() const { return menu_; }
  void SetDropDownMenu(QMenu* menu);
  // The image list: ImageIndex is drawn, the next image while the mouse is inside or Active.
  const QList<QPixmap>& Images() const { return images_; }
  void SetImages(const QList<QPixmap>& images);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  // Shows the button as hovered, as when something is dragged over it.
  bool Active() const { return active_; }
  void SetActive(bool active);
  // Run by the button part instead of clicked() when set.
  QAction* Action() const { return action_; }
  void SetAction(QAction* action) { action_ = action; }

  TPressState PressState() const { return pressState_; }
  bool MouseInside() const { return mouseInside_; }

  // Drops the menu down below the button; nothing without a menu or while it shows.
  void DropDown();

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool MenuShowing() const;
  void MenuClosed();
  void SetPressState(TPressState state);

  QPointer<QMenu> menu_;
  QList<QPixmap> images_;
  int imageIndex_ = -1;
  bool flat_ = false;
  QColor color_;
  bool active_ = false;
  QPointer<QAction> action_;
  bool mouseInside_ = false;
  TPressState pressState_ = TPressState::Idle;
  QPoint lastCursor_;
};
