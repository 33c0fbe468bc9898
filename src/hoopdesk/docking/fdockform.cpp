#include "hoopdesk/docking/fdockform.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QRubberBand>

#include "hoopdesk/docking/dockhost.h"

namespace {

// The strip a tiled form is dragged by: the form's caption and two grip lines after it.
class TDockGrabber : public QWidget {
 public:
  explicit TDockGrabber(QWidget* form) : QWidget(form) {
    setObjectName("DockGrabber");
    setCursor(Qt::SizeAllCursor);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QString caption = parentWidget()->windowTitle();
    p.setPen(palette().color(QPalette::ButtonText));
    const QRect text = rect().adjusted(4, 0, 0, 0);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, caption);
    const int left = 4 + fontMetrics().horizontalAdvance(caption) + 6;
    const int mid = height() / 2;
    for (const int y : {mid - 2, mid + 1}) {
      p.setPen(palette().color(QPalette::Light));
      p.drawLine(left, y, width() - 4, y);
      p.setPen(palette().color(QPalette::Dark));
      p.drawLine(left, y + 1, width() - 4, y + 1);
    }
  }
};

}  // namespace

TFDockForm::TFDockForm(QWidget* parent)
    : QWidget(parent), grabber_(std::make_unique<TDockGrabber>(this)) {
  grabber_->hide();
}

TFDockForm::~TFDockForm() = default;

void TFDockForm::closeEvent(QCloseEvent* event) { event->ignore(); }

void TFDockForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  grabber_->setGeometry(0, 0, width(), kGrabberHeight);
}

void TFDockForm::ShowGrabber(bool shown) {
  if (shown == grabber_->isVisibleTo(this)) return;
  setContentsMargins(0, shown ? kGrabberHeight : 0, 0, 0);
  grabber_->setGeometry(0, 0, width(), kGrabberHeight);
  grabber_->setVisible(shown);
  grabber_->raise();
  ClientAreaChanged();
}

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
