#include "hoopdesk/trace/fdockform.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>

TFDockForm::TFDockForm(QWidget* parent) : QWidget(parent) {}

void TFDockForm::closeEvent(QCloseEvent* event) { event->ignore(); }

QMenu* TFDockForm::MakePopupMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("PopupMenu");
  auto* group = new QActionGroup(this);
  menuWhite_ = menu->addAction("&White BackColor");
  menuWhite_->setObjectName("MenuWhite");
  menuGray_ = menu->addAction("&Gray  BackColor");
  menuGray_->setObjectName("MenuGray");
  for (QAction* a : {menuWhite_, menuGray_}) {
    a->setCheckable(true);
    group->addAction(a);
  }
  menuWhite_->setChecked(true);
  connect(menuWhite_, &QAction::triggered, this, [this] { OnBackColorItem(kWhite); });
  connect(menuGray_, &QAction::triggered, this, [this] { OnBackColorItem(kGray); });
  return menu;
}

void TFDockForm::CheckBackColorItem() {
  if (menuWhite_ == nullptr) return;
  (backColor_ != kWhite ? menuGray_ : menuWhite_)->setChecked(true);
}
