#include "hoopdesk/panels/panelmanager.h"

#include <cstdio>
#include <utility>

#include "hoopdesk/machines/progresscodes.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/pelsrvevents.h"
#include "pelsrvapi/messageids.h"
#include "platform/datafolder.h"
#include "platform/messages.h"
#include "shared/util.h"

TPanelManager::TPanelManager(TServiceConnector connector, TServiceReattach reattach)
    : link_(std::move(connector), std::move(reattach)) {
  link_.SetHandlers({[this](HRESULT why) { ServiceLost(why); },
                     [this](bool newServer) { ServiceBack(newServer); }});
}

TPanelManager::~TPanelManager() {
  if (IPelSrvObject* server = Server(); server && sink_) sink_->Unadvise(*server);
  RemoveAllMachines();
  link_.Release();
  sink_.reset();
}

bool TPanelManager::ConnectService() {
  if (link_.Held()) return sink_ && sink_->IsAdvised();
  const HRESULT hr = link_.Attach();
  if (FAILED(hr)) {
    char detail[16];
    std::snprintf(detail, sizeof detail, "0x%X", static_cast<unsigned>(hr));
    ShowMessageBox(true, kMsgServiceNotRunning, detail);
    return false;
  }
  check_.Reset();
  sink_ = std::make_unique<TPelSrvEvents>(*this);
  IPelSrvObject* server = Server();
  if (!server) return false;
  const HRESULT advised = sink_->Advise(*server);
  // Connections left from earlier runs or other clients would shift the device numbers.
  if (IPelSrvObject* now = Server()) now->DisconnectAll();
  return SUCCEEDED(advised);
}

IPelSrv* TPanelManager::GetService() const { return Server(); }

bool TPanelManager::AddMachine(TDevNo d, const TConnInfo& info, const std::string& hostName) {
  if (!Server() || d != GetMachineCount() || d >= kMaxMachines) return false;
  TMachineRecord seed;
  seed.connInfo = info;
  seed.hostName = hostName;
  return AppendMachine(std::move(seed), true);
}

int TPanelManager::AddMachines(std::span<const TMachineEntry> entries) {
  int added = 0;
  for (const TMachineEntry& entry : entries) {
    if (GetMachineCount() >= kMaxMachines) break;
    if (AddMachine(GetMachineCount(), entry.info, entry.hostName)) ++added;
  }
  return added;
}

bool TPanelManager::AppendMachine(TMachineRecord seed, bool loadPalette) {
  const TDevNo d = GetMachineCount();
  TCookie cookie = 0;
  if (!Server() || !ConnectMachine(d, seed.hostName, seed.connInfo, &cookie)) return false;

  TMachineRecord record;
  record.cookie = cookie;
  record.connInfo = seed.connInfo;
  record.hostName = std::move(seed.hostName);
  record.palette = std::move(seed.palette);
  record.queue = std::move(seed.queue);
  machines_.Append(std::move(record));

  std::string address;
  std::uint8_t state = 0;
  std::int32_t error = 0;
  if (IPelSrvObject* server = Server()) server->GetMachineState(cookie, &address, &state, &error);
  if (TMachineRecord* added = GetMachine(d)) added->address = address;
  if (loadPalette) LoadPalette(d);
  UpdateSewImage(d);
  if (trace_) trace_->CreateTraceFrame(d);
  ReplayEarlyEvents(cookie);
  return true;
}

bool TPanelManager::ConnectMachine(TDevNo d, const std::string& hostName, const TConnInfo& info,
                                   TCookie* cookie) {
  IPelSrvObject* server = Server();
  if (!server) return false;
  early_.ConnectBegins();
  const HRESULT hr = server->Connect(d, hostName, info, cookie);
  early_.ConnectEnds(hr == S_OK);
  return hr == S_OK;
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
  if (!record || record->connInfo.tcpip == 0 || !Server()) return false;
  const std::string hostName = record->hostName;
  const TConnInfo info = record->connInfo;
  TCookie cookie = 0;
  if (!ConnectMachine(d, hostName, info, &cookie)) return false;
  if (TMachineRecord* reconnected = GetMachine(d)) reconnected->cookie = cookie;
  ClearMachineError(d, false);
  ReplayEarlyEvents(cookie);
  return true;
}

void TPanelManager::RemoveAllMachines() {
  // Each call may run events: the cookies are taken first.
  for (const TCookie cookie : machines_.Cookies())
    if (IPelSrvObject* server = Server()) server->Disconnect(cookie);
  // Disconnected connections stay in the server's list; the next list built here must start
  // from position 0 there too.
  if (IPelSrvObject* server = Server()) server->DisconnectAll();
  machines_.Clear();
  early_.Clear();
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

void TPanelManager::ReplayEarlyEvents(TCookie cookie) {
  const TEarlyEvents events = early_.Take(cookie);
  if (events.state && sink_) sink_->OnStatusChange(cookie, *events.state);
  if (events.sync) SyncSetup(events.sync->mode, cookie, events.sync->inGroup);
}

TSewingState TPanelManager::MachineState(TDevNo d) const {
  const TMachineRecord* record = GetMachine(d);
  IPelSrvObject* server = Server();
  TSewingState state = SEW_OFFLINE;
  if (!record || !server) return SEW_OFFLINE;
  const TCookie cookie = record->cookie;
  if (!check_.Check(server->GetState(cookie, &state), "IPelSrv::GetState")) return SEW_OFFLINE;
  return state;
}

void TPanelManager::ServiceLost(HRESULT why) {
  char detail[16];
  std::snprintf(detail, sizeof detail, "0x%X", static_cast<unsigned>(why));
  // Not a modal box: the window goes on while the link heals, and a second loss while it
  // shows adds nothing. It is taken back once the server answers again.
  lostNotice_ = GetLastErrorText(kMsgServiceNotRunning, detail);
  platform::ShowNotice(platform::MessageBoxKind::Error, lostNotice_);
  const bool gone = why == RPC_E_DISCONNECTED;
  for (TDevNo i = 0; i < GetMachineCount(); ++i) {
    TMachineRecord* record = GetMachine(i);
    record->alarmMode = 0;
    record->alarmTicks = 0;
    // A server that went took its synchronised group with it; a stalled one still has it.
    if (gone) record->inSyncGroup = false;
    // As an offline event, but the queue stays: the designs go when the machine is back.
    SetOnline(i, false);
    SetEnabled(i, false);
    SetBusy(i, false);
    SetCanSend(i, false);
    SetProgress(i, 0);
    SetSewImage(i, kSewImageOffline);
    if (trace_) trace_->SetTraceProgress(i, kTraceStopped, 0, kMsgDisconnected, 0, 0, 0);
  }
  if (gone) {
    syncMode_ = 0;
    ShowAllPanels();
  }
  RefreshPanelImages();
}

void TPanelManager::ServiceBack(bool newServer) {
  check_.Reset();
  platform::WithdrawNotice(std::exchange(lostNotice_, std::string()));
  if (newServer) {
    ReconnectAllMachines();
  } else {
    ResyncMachines();
  }
}

void TPanelManager::ResyncMachines() {
  // The server kept its connections, its transfers and the sink through the stall: each
  // machine takes the state the server holds for it, as if that state had just been reported.
  bool dropped = false;
  for (TDevNo i = 0; i < GetMachineCount(); ++i) {
    if (!ConnectWaitingMachine(i)) {
      dropped = true;
      --i;  // the next one moved into its place
      continue;
    }
    const TMachineRecord* record = GetMachine(i);
    IPelSrvObject* server = Server();
    // Without a server or a record the loop ends, but a list that lost machines is still
    // shown anew below.
    if (!record || !server || !sink_) break;
    const TCookie cookie = record->cookie;
    TSewingState state = SEW_OFFLINE;
    std::int32_t sending = 0;
    if (FAILED(server->GetState(cookie, &state))) break;
    if (state != SEW_NO_PORT && state != SEW_OFFLINE) {
      sink_->OnStatusChange(cookie, static_cast<std::uint8_t>(state));
    } else {
      // Its line went during the stall; a networked machine is called again at once rather
      // than when discovery next finds it.
      ReconnectMachine(i);
    }
    const TMachineRecord* after = GetMachine(i);
    server = Server();
    if (!after || !server || FAILED(server->IsSending(after->cookie, &sending))) break;
    const TDevNo now = FindMachineByCookie(after->cookie);
    if (sending == 0 || now < 0) continue;
    SetCanSend(now, false);
    SetEnabled(now, false);
    SetSewImage(now, kSewImageSending);
    SetBusy(now, true);
  }
  UpdateSendButtons(0, true);
  RefreshPanelImages();
  if (dropped && host_) host_->MachineListRebuilt();
}

bool TPanelManager::ConnectWaitingMachine(TDevNo d) {
  TMachineRecord* record = GetMachine(d);
  if (!record || record->cookie != 0) return true;
  const std::string hostName = record->hostName;
  const TConnInfo info = record->connInfo;
  TCookie cookie = 0;
  if (ConnectMachine(d, hostName, info, &cookie)) {
    if (TMachineRecord* now = GetMachine(d)) now->cookie = cookie;
    ReplayEarlyEvents(cookie);
    return true;
  }
  // The link itself went: the machine waits for its next return.
  if (!Server()) return true;
  // Refused: it takes no device number, as at start-up.
  machines_.Erase(d);
  return false;
}

void TPanelManager::ReconnectAllMachines() {
  // A new server knows neither the sink nor the machines.
  IPelSrvObject* server = Server();
  if (!server || !sink_ || FAILED(sink_->Advise(*server))) return;
  if (IPelSrvObject* now = Server()) now->DisconnectAll();
  std::vector<TMachineRecord> old = machines_.TakeAll();
  early_.Clear();
  std::size_t next = 0;
  while (next < old.size() && Server()) {
    AppendMachine(std::move(old[next]), false);
    ++next;
  }
  // The link went again on the way: the rest wait, unconnected, for its next return.
  for (; next < old.size(); ++next) {
    TMachineRecord waiting;
    waiting.connInfo = old[next].connInfo;
    waiting.hostName = std::move(old[next].hostName);
    waiting.palette = std::move(old[next].palette);
    waiting.queue = std::move(old[next].queue);
    machines_.Append(std::move(waiting));
  }
  if (host_) host_->MachineListRebuilt();
}
