#include "hoopdesk/panels/panelmanager.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>

#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/pelsrvevents.h"
#include "platform/datafolder.h"
#include "shared/util.h"

TPanelManager::TPanelManager(TServiceConnector connector) : connector_(std::move(connector)) {}

TPanelManager::~TPanelManager() {
  if (service_ && sink_) sink_->Unadvise(service_->Object());
  RemoveAllMachines();
  DropService();
}

void TPanelManager::DropService() {
  eventNotifier_.reset();
  service_.reset();
  sink_.reset();
}

void TPanelManager::SetSendTabControls(QScrollBar* hScroll, QScrollBar* vScroll,
                                       QAbstractButton* sendAllBtn, QLabel* spLbl, QLabel* trackLbl,
                                       QSlider* trackBar, std::int32_t rotSpeed) {
  hScroll_ = hScroll;
  vScroll_ = vScroll;
  sendAllBtn_ = sendAllBtn;
  spLbl_ = spLbl;
  trackLbl_ = trackLbl;
  trackBar_ = trackBar;
  rotSpeed_ = rotSpeed;
}

void TPanelManager::SetPanelSlot(int slot, QWidget* sendImg, QLabel* lbl, QAbstractButton* sendBtn,
                                 QWidget* sewBtn, QProgressBar* progBar) {
  if (slot < 0 || slot >= kSlotCount) return;
  slots_[static_cast<std::size_t>(slot)] = TSlot{sendImg, lbl, sendBtn, sewBtn, progBar};
  // Texts that reach the panels are shown as they stand, never read as markup.
  if (lbl) lbl->setTextFormat(Qt::PlainText);
  if (auto* image = qobject_cast<QLabel*>(sendImg)) image->setTextFormat(Qt::PlainText);
  if (sendBtn) sendBtn->setProperty("ResId", kSendAnimationResId);
}

bool TPanelManager::ConnectService() {
  if (service_) return sink_ && sink_->IsAdvised();
  std::unique_ptr<TServiceLink> link;
  HRESULT hr = connector_ ? connector_(&link) : E_FAIL;
  if (SUCCEEDED(hr) && !link) hr = E_FAIL;
  if (FAILED(hr)) {
    char detail[16];
    std::snprintf(detail, sizeof detail, "0x%X", static_cast<unsigned>(hr));
    ShowMessageBox(true, kServiceNotRunningMessage, detail);
    return false;
  }
  service_ = std::move(link);
  check_.Reset();
  if (const int fd = service_->EventFd(); fd >= 0) {
    // Events that come while the program is idle; during calls the link hands them on itself.
    eventNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(eventNotifier_.get(), &QSocketNotifier::activated, eventNotifier_.get(),
                     [this] {
                       if (!service_->PumpEvents()) eventNotifier_->setEnabled(false);
                     });
  }
  sink_ = std::make_unique<TPelSrvEvents>(*this);
  const HRESULT advised = sink_->Advise(service_->Object());
  // Connections left from earlier runs or other clients would shift the device numbers.
  service_->Object().DisconnectAll();
  return SUCCEEDED(advised);
}

IPelSrv* TPanelManager::GetService() const { return service_ ? &service_->Object() : nullptr; }

bool TPanelManager::AddMachine(TDevNo d, const TConnInfo& info, const std::string& hostName) {
  if (!service_ || d != GetMachineCount() || d >= kMaxMachines) return false;
  TCookie cookie = 0;
  if (!ConnectMachine(d, hostName, info, &cookie)) return false;

  TMachineRecord record;
  record.cookie = cookie;
  record.connInfo = info;
  record.hostName = hostName;
  machines_.push_back(std::move(record));
  const TDevNo index = GetMachineCount() - 1;

  std::string address;
  std::uint8_t state = 0;
  std::int32_t error = 0;
  service_->Object().GetMachineState(cookie, &address, &state, &error);
  if (TMachineRecord* added = GetMachine(index)) added->address = address;
  LoadPalette(index);
  UpdateSewImage(index);
  if (host_) host_->CreateTraceFrame(index);
  ReplayHeldStatus(cookie);
  return true;
}

bool TPanelManager::ConnectMachine(TDevNo d, const std::string& hostName, const TConnInfo& info,
                                   TCookie* cookie) {
  ++connecting_;
  const HRESULT hr = service_->Object().Connect(d, hostName, info, cookie);
  --connecting_;
  if (hr == S_OK) return true;
  if (connecting_ == 0) heldStatus_.clear();
  return false;
}

void TPanelManager::LoadPalette(TDevNo d) {
  TMachineRecord* record = GetMachine(d);
  if (!record) return;
  record->palette.SetFileName(platform::DataPath("SysColor.dat").string());
  // A network name never makes a section of its own choosing.
  record->palette.LoadColors(
      record->connInfo.tcpip != 0 ? NetworkColorSection(record->hostName) : MachineSectionName(d),
      kPaletteSize);
}

bool TPanelManager::ReconnectMachine(TDevNo d) {
  const TMachineRecord* record = GetMachine(d);
  if (!record || record->connInfo.tcpip == 0 || !service_) return false;
  const std::string hostName = record->hostName;
  const TConnInfo info = record->connInfo;
  TCookie cookie = 0;
  if (!ConnectMachine(d, hostName, info, &cookie)) return false;
  if (TMachineRecord* reconnected = GetMachine(d)) reconnected->cookie = cookie;
  ClearMachineError(d, false);
  ReplayHeldStatus(cookie);
  return true;
}

void TPanelManager::RemoveAllMachines() {
  if (service_) {
    for (std::size_t i = 0; i < machines_.size(); ++i)
      service_->Object().Disconnect(machines_[i].cookie);
    // Disconnected connections stay in the server's list; the next list built here must
    // start from position 0 there too.
    service_->Object().DisconnectAll();
  }
  machines_.clear();
  heldStatus_.clear();
}

TMachineRecord* TPanelManager::GetMachine(TDevNo d) {
  return d >= 0 && d < GetMachineCount() ? &machines_[static_cast<std::size_t>(d)] : nullptr;
}

const TMachineRecord* TPanelManager::GetMachine(TDevNo d) const {
  return d >= 0 && d < GetMachineCount() ? &machines_[static_cast<std::size_t>(d)] : nullptr;
}

int TPanelManager::FindMachineByCookie(TCookie cookie) const {
  for (int i = 0; i < GetMachineCount(); ++i)
    if (machines_[static_cast<std::size_t>(i)].cookie == cookie) return i;
  return -1;
}

TMachineAddress TPanelManager::GetMachineAddress(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  if (!record) return {};
  TMachineAddress result{record->connInfo.port, 0};
  if (record->connInfo.tcpip != 0) {
    const std::uint8_t bytes[4] = {record->connInfo.b1, record->connInfo.b2, record->connInfo.b3,
                                   record->connInfo.b4};
    std::memcpy(&result.address, bytes, sizeof bytes);
  }
  return result;
}

std::string TPanelManager::MachineSectionName(TDevNo d) { return SerialColorSection(d); }

void TPanelManager::UpdateSewImage(TDevNo d) {
  const TMachineRecord* record = GetMachine(d);
  if (!record) return;
  SetSewImage(d, !record->online       ? kSewImageOffline
                 : record->inSyncGroup ? kSewImageSyncGroup
                                       : kSewImageOnline);
}

int TPanelManager::QueuedDesignCount(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  return record ? record->queue.GetCount() : 0;
}

void TPanelManager::InvalidateLayoutView() {
  if (host_) host_->InvalidateLayoutView();
}

void TPanelManager::HoldEarlyStatus(TCookie cookie, std::uint8_t state) {
  if (connecting_ == 0) return;
  for (THeldStatus& held : heldStatus_)
    if (held.cookie == cookie) {
      held.state = state;
      return;
    }
  if (heldStatus_.size() < kMaxMachines) heldStatus_.push_back({cookie, state});
}

void TPanelManager::ReplayHeldStatus(TCookie cookie) {
  std::vector<THeldStatus> held;
  if (connecting_ == 0) held.swap(heldStatus_);
  for (const THeldStatus& status : held)
    if (status.cookie == cookie && sink_) sink_->OnStatusChange(status.cookie, status.state);
}

TSewingState TPanelManager::MachineState(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  TSewingState state = SEW_OFFLINE;
  if (!record || !service_) return SEW_OFFLINE;
  const TCookie cookie = record->cookie;
  if (!check_.Check(service_->Object().GetState(cookie, &state), "IPelSrv::GetState"))
    return SEW_OFFLINE;
  return state;
}
