#include "hoopdesk/docking/fdockform.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QRubberBand>

#include "hoopdesk/docking/dockhost.h"

TFDockForm::TFDockForm(QWidget* parent) : QWidget(parent) {}

TFDockForm::~TFDockForm() = default;

void TFDockForm::closeEvent(QCloseEvent* event) { event->ignore(); }

bool TFDockForm::FormDockOver(const QObject* dragged) const {
  return qobject_cast<const TFDockForm*>(dragged) != nullptr;
}

TFDockForm* TFDockForm::SiteAt(QPoint global) const {
  TFDockForm* site = host_ != nullptr ? host_->DockSiteAt(global) : nullptr;
  return site != this ? site : nullptr;
}

void TFDockForm::DockDragMove(QPoint global) {
  TFDockForm* site = SiteAt(global);
  const TDockTarget target =
      site != nullptr && host_ != nullptr && site->FormGetSiteInfo() && site->FormDockOver(this)
          ? host_->DockZoneAt(global)
          : TDockTarget{};
  QWidget* top = window();
  if (preview_ == nullptr) {
    preview_ = std::make_unique<QRubberBand>(QRubberBand::Rectangle, top);
    preview_->setObjectName("DockPreview");
  }
  preview_->setGeometry(QRect(top->mapFromGlobal(target.preview.topLeft()), target.preview.size()));
  preview_->setVisible(target.align != alNone);
}

void TFDockForm::DockDragEnd(QPoint global) {
  preview_.reset();
  TFDockForm* site = SiteAt(global);
  if (site == nullptr || host_ == nullptr || !site->FormGetSiteInfo() || !site->FormDockOver(this))
    return;
  const TDockTarget target = host_->DockZoneAt(global);
  if (target.align != alNone) host_->DockFormAt(site, this, target.align);
}

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
  connect(menuWhite_, &QAction::triggered, this, [this] { OnBackColorItem(kBackWhite); });
  connect(menuGray_, &QAction::triggered, this, [this] { OnBackColorItem(kBackGray); });
  return menu;
}

void TFDockForm::CheckBackColorItem() {
  if (menuWhite_ == nullptr) return;
  (backColor_ != kBackWhite ? menuGray_ : menuWhite_)->setChecked(true);
}
