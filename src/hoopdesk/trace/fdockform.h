// The base of the two windows the main window docks: the layout and the trace window. Both
// live for the whole run and are moved between the main window's page control (tabs) and its
// tile panel; closing them is refused. Both paint on a white or gray background that their
// pop-up menus choose.
#pragma once

#include <QWidget>
#include <cstdint>

class QAction;
class QMenu;

class TFDockForm : public QWidget {
  Q_OBJECT
 public:
  static constexpr std::uint32_t kWhite = 0xFFFFFF;
  static constexpr std::uint32_t kGray = 0x808080;

  explicit TFDockForm(QWidget* parent = nullptr);

  std::uint32_t BackColor() const { return backColor_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The pop-up menu "PopupMenu" with its two background items, for the form to extend.
  QMenu* MakePopupMenu();
  // Ticks the item of the present background.
  void CheckBackColorItem();
  void SetBackColorValue(std::uint32_t colour) { backColor_ = colour; }
  virtual void OnBackColorItem(std::uint32_t colour) = 0;

 private:
  std::uint32_t backColor_ = kWhite;
  QAction* menuWhite_ = nullptr;
  QAction* menuGray_ = nullptr;
};
