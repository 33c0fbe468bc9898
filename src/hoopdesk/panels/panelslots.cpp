#include "hoopdesk/panels/panelslots.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "hoopdesk/panels/machinelist.h"
#include "hoopdesk/panels/panelpicture.h"

namespace {

void SetTop(QWidget* widget, int top) {
  if (widget) widget->move(widget->x(), top);
}

}  // namespace

void TPanelSlots::SetSlot(int slot, QWidget* sendImg, QLabel* lbl, QAbstractButton* sendBtn,
                          QWidget* sewBtn, QProgressBar* progBar) {
  if (slot < 0 || slot >= kPanelSlots) return;
  slots_[static_cast<std::size_t>(slot)] = TSlot{sendImg, lbl, sendBtn, sewBtn, progBar};
  // Texts that reach the panels are shown as they stand, never read as markup.
  if (lbl) lbl->setTextFormat(Qt::PlainText);
  if (auto* image = qobject_cast<QLabel*>(sendImg)) image->setTextFormat(Qt::PlainText);
  if (sendBtn) sendBtn->setProperty("ResId", kSendAnimationResId);
}

int TPanelSlots::SpeedShown(int position) { return position / 10 * 10; }

void TPanelSlots::SetSharedControls(QScrollBar* hScroll, QScrollBar* vScroll,
                                    QAbstractButton* sendAllBtn, QLabel* spLbl, QLabel* trackLbl,
                                    QSlider* trackBar, std::int32_t rotSpeed) {
  hScroll_ = hScroll;
  vScroll_ = vScroll;
  sendAllBtn_ = sendAllBtn;
  spLbl_ = spLbl;
  trackLbl_ = trackLbl;
  trackBar_ = trackBar;
  rotSpeed_ = rotSpeed;
  // A large step moves the queues by one thumbnail, like a small one; the page stays as wide
  // as a panel, so the thumb still shows how much of the queue is in view. The controls are
  // handed over again at every start of the machines: one connection at a time.
  QObject::disconnect(largeStep_);
  if (hScroll_)
    largeStep_ = QObject::connect(hScroll_, &QAbstractSlider::actionTriggered, hScroll_,
                                  [bar = hScroll_](int action) {
                                    if (action == QAbstractSlider::SliderPageStepAdd)
                                      bar->setSliderPosition(bar->value() + bar->singleStep());
                                    else if (action == QAbstractSlider::SliderPageStepSub)
                                      bar->setSliderPosition(bar->value() - bar->singleStep());
                                  });
}

const TPanelSlots::TSlot* TPanelSlots::VisibleSlot(int d) const {
  const int slot = d - firstVisible_;
  if (!machines_.Get(d) || slot < 0 || slot >= kPanelSlots) return nullptr;
  return &slots_[static_cast<std::size_t>(slot)];
}

QLabel* TPanelSlots::ImageOf(int d) const {
  const TSlot* slot = VisibleSlot(d);
  return slot ? qobject_cast<QLabel*>(slot->sendImg) : nullptr;
}

bool TPanelSlots::ImageHasArea(int k) const {
  const QWidget* image =
      k >= 0 && k < kPanelSlots ? slots_[static_cast<std::size_t>(k)].sendImg : nullptr;
  return image && image->width() >= 1 && image->height() >= 1;
}

std::array<TSlotArea, kPanelSlots> TPanelSlots::Areas() const {
  std::array<TSlotArea, kPanelSlots> areas{};
  for (std::size_t k = 0; k < areas.size(); ++k) {
    const QWidget* image = slots_[k].sendImg;
    if (image)
      areas[k] = {QRect(image->mapToGlobal(QPoint(0, 0)), image->size()),
                  image->isVisible() && image->isEnabled()};
  }
  return areas;
}

bool TPanelSlots::IsShown(int d) const {
  const TMachineRecord* record = machines_.Get(d);
  return record && record->shown;
}

void TPanelSlots::SetShown(int d, bool shown) {
  if (TMachineRecord* record = machines_.Get(d)) record->shown = shown;
  if (const TSlot* slot = VisibleSlot(d))
    for (QWidget* w :
         {slot->sendImg, static_cast<QWidget*>(slot->lbl), static_cast<QWidget*>(slot->sendBtn)})
      if (w) w->setVisible(shown);
}

void TPanelSlots::SetMachineNumber(int d, const std::string& text) {
  if (const TSlot* slot = VisibleSlot(d); slot && slot->lbl)
    slot->lbl->setText(QString::fromStdString(text));
}

bool TPanelSlots::IsOnline(int d) const {
  const TMachineRecord* record = machines_.Get(d);
  return record && record->online;
}

void TPanelSlots::SetOnline(int d, bool online) {
  if (TMachineRecord* record = machines_.Get(d)) record->online = online;
}

bool TPanelSlots::IsEnabled(int d) const {
  const TMachineRecord* record = machines_.Get(d);
  return record && record->enabled;
}

void TPanelSlots::SetEnabled(int d, bool enabled) {
  if (TMachineRecord* record = machines_.Get(d)) record->enabled = enabled;
  if (const TSlot* slot = VisibleSlot(d)) {
    if (slot->sendImg) slot->sendImg->setEnabled(enabled);
    if (!enabled && slot->sendBtn) slot->sendBtn->setEnabled(false);
  }
}

bool TPanelSlots::CanSend(int d) const {
  const TMachineRecord* record = machines_.Get(d);
  return record && record->canSend;
}

void TPanelSlots::SetCanSend(int d, bool canSend) {
  if (TMachineRecord* record = machines_.Get(d)) record->canSend = canSend;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sendBtn) slot->sendBtn->setEnabled(canSend);
  UpdateSendAllButton();
}

void TPanelSlots::UpdateSendAllButton() {
  if (sendAllBtn_) sendAllBtn_->setEnabled(machines_.AnyCanSend());
}

bool TPanelSlots::IsMachineBusy(int d) const {
  const TMachineRecord* record = machines_.Get(d);
  return record && record->busy;
}

void TPanelSlots::SetBusy(int d, bool busy) {
  if (TMachineRecord* record = machines_.Get(d)) record->busy = busy;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sendBtn)
    slot->sendBtn->setProperty("Active", busy);
}

void TPanelSlots::SetProgress(int d, std::int32_t percent) {
  if (TMachineRecord* record = machines_.Get(d)) record->progress = percent;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->progBar) slot->progBar->setValue(percent);
}

void TPanelSlots::SetSewImage(int d, std::uint32_t resId) {
  if (TMachineRecord* record = machines_.Get(d)) record->sewImage = resId;
  if (const TSlot* slot = VisibleSlot(d); slot && slot->sewBtn) {
    slot->sewBtn->setProperty("ResId", resId);
    if (auto* picture = qobject_cast<QLabel*>(slot->sewBtn)) picture->setPixmap(SewPicture(resId));
  }
}

void TPanelSlots::Arrange(int machineCount) {
  const int n = machineCount;
  const TSlot& last = slots_[static_cast<std::size_t>(TPanelGeometry::ReferenceSlot(n))];
  if (last.sendImg && hScroll_) {
    const TSharedPlace place = TSendTabLayout::SharedControls(
        last.sendImg->y() + last.sendImg->height(), hScroll_->height());
    SetTop(hScroll_, place.hScrollTop);
    SetTop(sendAllBtn_, place.sendAllTop);
    SetTop(spLbl_, place.labelTop);
    SetTop(trackLbl_, place.labelTop);
    SetTop(trackBar_, place.trackBarTop);
  }
  // A shorter list cannot start beyond its last full page; the caller refills the slots.
  firstVisible_ = std::min(firstVisible_, TSendTabLayout::LastFirstMachine(n));
  if (vScroll_) {
    vScroll_->setVisible(n > kPanelSlots);
    if (n > kPanelSlots) {
      // The bar's positions are the first machines of the full pages of six.
      const QSignalBlocker quiet(vScroll_);
      vScroll_->setRange(0, TSendTabLayout::LastFirstMachine(n));
      vScroll_->setPageStep(kPanelSlots);
      vScroll_->setValue(firstVisible_);
    }
  }
  for (int k = 0; k < kPanelSlots; ++k) {
    const TSlot& slot = slots_[static_cast<std::size_t>(k)];
    for (QWidget* w :
         {slot.sendImg, static_cast<QWidget*>(slot.lbl), static_cast<QWidget*>(slot.sendBtn),
          slot.sewBtn, static_cast<QWidget*>(slot.progBar)})
      if (w) w->setVisible(k < n);
  }
  if (trackBar_) {
    // Showing the saved speed is no change of the operator's: no change handler runs.
    const QSignalBlocker quiet(trackBar_);
    trackBar_->setValue(rotSpeed_);
    if (trackLbl_) trackLbl_->setText(QString::number(SpeedShown(trackBar_->value())));
  }
}

void TPanelSlots::LineUpSharedControls() {
  const TSlot& first = slots_[0];
  if (!hScroll_ || !first.sendImg) return;
  hScroll_->resize(first.sendImg->width(), hScroll_->height());
  if (sendAllBtn_ && first.sendBtn)
    sendAllBtn_->move(TSendTabLayout::SendAllLeft(first.sendBtn->x()), sendAllBtn_->y());
}

void TPanelSlots::ShowSpeedControls(bool show) {
  for (QWidget* w : {static_cast<QWidget*>(spLbl_), static_cast<QWidget*>(trackLbl_),
                     static_cast<QWidget*>(trackBar_)})
    if (w) w->setVisible(show);
}

int TPanelSlots::QueueOffset() const {
  return hScroll_ ? TPanelGeometry::ScrollOffset(hScroll_->isEnabled(), hScroll_->maximum(),
                                                 hScroll_->value())
                  : 0;
}

bool TPanelSlots::SetQueueScroll(const TQueueScroll& scroll) {
  if (!hScroll_) return false;
  const int before = QueueOffset();
  // Setting the bar up is no move of the operator's: the panels are drawn by the caller.
  const QSignalBlocker quiet(hScroll_);
  if (scroll.enabled) {
    hScroll_->setRange(0, scroll.maximum);
    hScroll_->setPageStep(scroll.pageStep);
    hScroll_->setSingleStep(scroll.step);
    hScroll_->setValue(scroll.value);
  }
  hScroll_->setEnabled(scroll.enabled);
  return QueueOffset() != before;
}

int TPanelSlots::MachineScrollTo(int position) {
  // The bar reaches one past the last full page of six: it is put back quietly.
  const int last = TSendTabLayout::LastFirstMachine(machines_.Count());
  if (position > last) {
    position = last;
    if (vScroll_) {
      const QSignalBlocker quiet(vScroll_);
      vScroll_->setValue(position);
    }
  }
  return position;
}
