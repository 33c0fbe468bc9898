#include "hoopdesk/panels/pelsrvevents.h"

#include "hoopdesk/machines/eventrules.h"
#include "hoopdesk/machines/progresscodes.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "pelsrvapi/messageids.h"

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
  panels_.NewerStatusHandled(dwCookie);
  // Only 2 to 6 are online states; a code the machine server does not know is none of them.
  const bool lost = state < SEW_IDLE || state > SEW_REJECTED;
  if (lost) {
    panels_.SetOnline(i, false);
    panels_.SetEnabled(i, false);
    panels_.SetBusy(i, false);
    panels_.SetSewImage(i, kSewImageOffline);
    panels_.ClearQueue(i);
    // Only a frame the machine has: the window makes none for a machine that went away.
    if (TTraceSink* trace = panels_.GetTraceSink()) {
      trace->LoadTraceDesign(i, "");
      trace->ShowTraceFrame(i, true);
      trace->SetTraceProgress(i, kTraceStopped, 0, kMsgDisconnected, 0, 0, 0);
      trace->ClearTraceCounters(i);
    }
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
    if (TTraceSink* trace = panels_.GetTraceSink()) trace->ClearTraceStatus(i);
  }
  panels_.DrawPanel(i);
  panels_.RefreshPanelImages();
  if (lost) panels_.SyncSetup(0, dwCookie, false);
}

void TPelSrvEvents::OnSendProgress(std::int32_t dwCookie, std::int32_t ratio) {
  panels_.SetProgress(panels_.FindMachineByCookie(dwCookie), ratio);
}

void TPelSrvEvents::OnSendStop(std::int32_t dwCookie, std::int32_t state) {
  int i = panels_.FindMachineByCookie(dwCookie);
  if (i < 0) return;
  panels_.SetBusy(i, false);
  switch (SendStopEffect(state)) {
    case TSendStopEffect::RemoveHead:
      panels_.RemoveQueuedDesign(0, i);
      break;
    case TSendStopEffect::ClearAlarm:
      panels_.ClearMachineError(i, true);
      break;
    case TSendStopEffect::Alarm:
      panels_.SetAlarm(i, state);
      break;
    case TSendStopEffect::None:
      break;
  }
  // Both calls above ask the server, and events may have changed the list meanwhile.
  i = panels_.FindMachineByCookie(dwCookie);
  if (i < 0) return;
  if (state == RES_STATE_NORMAL || state == RES_STATE_CANCELED) panels_.SetProgress(i, 0);
  panels_.SetEnabled(i, true);
  panels_.UpdateSewImage(i);
  panels_.UpdateSendButtons(i, false);
}

void TPelSrvEvents::OnProgress(std::int32_t dwCookie, std::uint8_t state, std::int32_t nPos,
                               std::int32_t nMax, std::int32_t nError, std::uint16_t nRot,
                               std::uint8_t nNeedleNo) {
  int i = panels_.FindMachineByCookie(dwCookie);
  if (i < 0) return;
  if (TTraceSink* trace = panels_.GetTraceSink())
    trace->SetTraceProgress(i, state, nPos, nError, nRot, nNeedleNo, nMax);
  const TMachineRecord* record = panels_.GetMachine(i);
  if (!record) return;
  if (nError == 0 && record->alarmMode != 0) {
    panels_.ClearMachineError(i, true);
    i = panels_.FindMachineByCookie(dwCookie);
  } else if (nError != 0 && record->alarmMode != 1) {
    panels_.SetAlarm(i, 1);
  }
  panels_.SetProgress(i, SewingPercent(nPos, nMax));
}

void TPelSrvEvents::OnFilenameAck(std::int32_t dwCookie, const std::string& name,
                                  std::int32_t nRemain, std::int32_t& nTotal) {
  const int i = panels_.FindMachineByCookie(dwCookie);
  TMachineRecord* record = panels_.GetMachine(i);
  // Only a plain name may be joined to the send folder.
  if (!record || !IsPlainSendName(name)) return;
  record->sewingFile = name;
  // The design is read once: by the machine's frame, or without one only for its total.
  TTraceSink* trace = panels_.GetTraceSink();
  const bool framed = trace && trace->CreateTraceFrame(i);
  const std::int32_t total =
      framed ? trace->LoadTraceDesign(i, name) : panels_.SendFileStitchTotal(i, name);
  if (panels_.FindMachineByCookie(dwCookie) != i) return;
  nTotal = total;
  if (!trace) return;
  if (framed) trace->ShowTraceFrame(i, true);
  trace->SetTraceProgress(i, kTraceStopped, 0, 0, 0, 0, 0);
  trace->SetTraceMemory(i, nRemain);
}

void TPelSrvEvents::OnComplete(std::int32_t dwCookie, std::int32_t bNormal, std::int32_t needleNo) {
  const int i = panels_.FindMachineByCookie(dwCookie);
  if (i < 0) return;
  if (TTraceSink* trace = panels_.GetTraceSink())
    trace->CompleteTrace(i, bNormal != 0, static_cast<std::uint8_t>(needleNo));
  panels_.SetProgress(i, 0);
}

void TPelSrvEvents::OnSyncSetup(std::int32_t nSyncMode, std::int32_t dwCookie, std::int32_t bSync) {
  // The group of a machine whose Connect call has not returned yet: taken up once it has.
  if (panels_.FindMachineByCookie(dwCookie) < 0)
    panels_.HoldEarlySync(dwCookie, {nSyncMode, bSync != 0});
  else
    panels_.NewerSyncHandled(dwCookie);
  panels_.SyncSetup(nSyncMode, dwCookie, bSync != 0);
}

void TPelSrvEvents::OnSendStart(std::int32_t dwCookie) {
  const int i = panels_.FindMachineByCookie(dwCookie);
  if (i >= 0) panels_.SendDesign(i);
}
