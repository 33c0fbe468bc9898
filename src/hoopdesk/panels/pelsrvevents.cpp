#include "hoopdesk/panels/pelsrvevents.h"

#include "hoopdesk/panels/panelmanager.h"

HRESULT TPelSrvEvents::Advise(IPelSrvObject& server) {
  std::uint32_t cookie = kNotAdvised;
  const HRESULT hr = server.Advise(this, &cookie);
  if (SUCCEEDED(hr)) cookie_ = cookie;
  return hr;
}

HRESULT TPelSrvEvents::Unadvise(IPelSrvObject& server) {
  if (!IsAdvised()) return S_OK;
  const HRESULT hr = server.Unadvise(cookie_);
  cookie_ = kNotAdvised;
  return hr;
}

void TPelSrvEvents::OnStatusChange(std::int32_t dwCookie, std::uint8_t state) {
  const int i = panels_.FindMachineByCookie(dwCookie);
  if (i < 0) {
    // The state of a machine whose Connect call has not returned yet.
    panels_.HoldEarlyStatus(dwCookie, state);
    return;
  }
  const bool lost = state == SEW_NO_PORT || state == SEW_OFFLINE;
  if (lost) {
    panels_.SetOnline(i, false);
    panels_.SetEnabled(i, false);
    panels_.SetBusy(i, false);
    panels_.SetSewImage(i, kSewImageOffline);
    panels_.ClearQueue(i);
  } else if (state == SEW_ERROR) {
    panels_.SetAlarm(i, 1);
    if (!panels_.IsEnabled(i)) {
      panels_.SetEnabled(i, true);
      panels_.UpdateSendButtons(i, false);
    }
  } else if (state == SEW_REJECTED) {
    panels_.SetAlarm(i, 2);
  } else {
    panels_.SetOnline(i, true);
    panels_.SetEnabled(i, !panels_.IsMachineBusy(i));
    panels_.UpdateSewImage(i);
  }
  panels_.DrawPanel(i);
  panels_.RefreshPanelImages();
  if (lost) panels_.SyncSetup(0, dwCookie, false);
}

void TPelSrvEvents::OnSendProgress(std::int32_t dwCookie, std::int32_t ratio) {
  panels_.SetProgress(panels_.FindMachineByCookie(dwCookie), ratio);
}

void TPelSrvEvents::OnSendStop(std::int32_t, std::int32_t) {}

void TPelSrvEvents::OnProgress(std::int32_t, std::uint8_t, std::int32_t, std::int32_t, std::int32_t,
                               std::uint16_t, std::uint8_t) {}

void TPelSrvEvents::OnFilenameAck(std::int32_t dwCookie, const std::string& name, std::int32_t,
                                  std::int32_t&) {
  if (TMachineRecord* record = panels_.GetMachine(panels_.FindMachineByCookie(dwCookie)))
    record->sewingFile = name;
}

void TPelSrvEvents::OnComplete(std::int32_t, std::int32_t, std::int32_t) {}

void TPelSrvEvents::OnSyncSetup(std::int32_t nSyncMode, std::int32_t dwCookie, std::int32_t bSync) {
  panels_.SyncSetup(nSyncMode, dwCookie, bSync != 0);
}

void TPelSrvEvents::OnSendStart(std::int32_t) {}
