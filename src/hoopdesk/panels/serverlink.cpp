#include "hoopdesk/panels/serverlink.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

TServerLink::TServerLink(TServiceConnector connector, TServiceReattach reattach)
    : connector_(std::move(connector)), reattach_(std::move(reattach)) {}

TServerLink::~TServerLink() { Release(); }

HRESULT TServerLink::Attach() {
  std::unique_ptr<TServiceLink> link;
  HRESULT hr = connector_ ? connector_(&link) : E_FAIL;
  if (SUCCEEDED(hr) && !link) hr = E_FAIL;
  if (FAILED(hr)) return hr;
  link_ = std::move(link);
  down_ = false;
  WatchEvents();
  timer_ = std::make_unique<QTimer>();
  timer_->setInterval(kWatchIntervalMs);
  QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Watch(); });
  timer_->start();
  return hr;
}

IPelSrvObject* TServerLink::Object() const {
  return link_ && !down_ && link_->State() == TLinkState::Up ? &link_->Object() : nullptr;
}

void TServerLink::Watch() {
  if (!link_ || watching_) return;
  watching_ = true;
  if (!down_ && ++looks_ % kProbeEvery == 0) link_->Probe();
  const TLinkState state = link_->State();
  if (!down_) {
    if (state != TLinkState::Up) {
      down_ = true;
      if (state == TLinkState::Lost && notifier_) notifier_->setEnabled(false);
      if (handlers_.lost)
        handlers_.lost(state == TLinkState::Lost ? RPC_E_DISCONNECTED : RPC_E_TIMEOUT);
    }
  } else if (!ModalDialogRunning()) {
    if (state == TLinkState::Lost) {
      if (notifier_) notifier_->setEnabled(false);
      TryReattach();
    } else if (state == TLinkState::Up) {
      down_ = false;
      if (handlers_.back) handlers_.back(false);
    }
  }
  watching_ = false;
}

void TServerLink::TryReattach() {
  std::unique_ptr<TServiceLink> fresh;
  const HRESULT hr = reattach_ ? reattach_(&fresh) : E_FAIL;
  if (FAILED(hr) || !fresh) return;
  // Called from the timer, never from the old notifier's own signal: it may go now.
  notifier_.reset();
  link_ = std::move(fresh);
  down_ = false;
  WatchEvents();
  if (handlers_.back) handlers_.back(true);
}

void TServerLink::WatchEvents() {
  const int fd = link_ ? link_->EventFd() : -1;
  if (fd < 0) return;
  // Events that come while the program is idle; during calls the link hands them on itself.
  notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { PumpEvents(); });
}

void TServerLink::PumpEvents() {
  if (!link_) return;
  // A closed connection would make the notifier fire without end.
  if (!link_->PumpEvents() && notifier_) notifier_->setEnabled(false);
  // A change of the link is looked at once the events are handled, outside this signal.
  if (timer_ && (link_->State() != TLinkState::Up) != down_)
    QMetaObject::invokeMethod(
        timer_.get(), [this] { Watch(); }, Qt::QueuedConnection);
}

void TServerLink::Release() {
  timer_.reset();
  notifier_.reset();
  link_.reset();
  down_ = false;
}

bool TServerLink::ModalDialogRunning() {
  return QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr;
}
