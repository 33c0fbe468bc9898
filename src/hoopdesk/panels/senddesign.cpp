// Sending queued designs: the head of a machine's queue is written once to the send folder,
// under a new serial name shared by the synchronised group, and streamed to the machine. The
// design leaves the queue only when the server reports the transfer's normal end.
#include "hoopdesk/machines/groupjob.h"
#include "hoopdesk/machines/progresscodes.h"
#include "hoopdesk/machines/sewndesign.h"
#include "hoopdesk/panels/panelhost.h"
#include "hoopdesk/panels/panelmanager.h"
#include "pelsrvapi/messageids.h"
#include "platform/memstream.h"
#include "shared/frmmarlow.h"
#include "shared/getserial.h"
#include "shared/stitch.h"
#include "shared/util.h"

namespace {

constexpr HRESULT kRetryLater = static_cast<HRESULT>(0x8001010A);  // RPC_E_SERVERCALL_RETRYLATER

}  // namespace

void TPanelManager::SendDesign(TDevNo d) {
  // A box of an earlier send is still open (events and timers run inside it): a machine that
  // offers again meanwhile gets nothing, so boxes never pile up.
  if (sendBoxOpen_) return;
  TMachineRecord* record = GetMachine(d);
  // A machine without a cookie has no connection the server could report on.
  if (!Server() || !record || record->queue.GetCount() == 0 || record->cookie == 0) return;
  TStitchItem* design = record->queue.GetItem(0);
  if (!design->Saved) {
    std::string folder;
    std::string name;
    if (!MakeSerialName(".10o", folder, name)) {
      ShowSendBox(kMsgNoRecentDirectory, sendFolder_);
      return;
    }
    // Taken before the writer changes the design.
    const TGroupJob job = TGroupJob::Of(*design);
    design->FileName = name;
    if (!TStitchFormatMarlow::Save(folder + name, *design, &record->palette)) {
      // The folder stays as it was, and so does the design: the next send tries afresh.
      ReleaseSerialName(folder, name);
      design->FileName = job.source;
      ShowSendBox(kMsgSaveFailed, name);
      return;
    }
    // The group's machines send the same file without writing it again.
    if (record->inSyncGroup) {
      for (TMachineRecord& other : machines_) {
        if (&other == record || !other.inSyncGroup || other.queue.GetCount() == 0) continue;
        TStitchItem* head = other.queue.GetItem(0);
        if (head->Saved || !job.Holds(*head)) continue;
        head->FileName = design->FileName;
        head->Saved = design->Saved;
      }
    }
  }
  const std::unique_ptr<platform::MemStream> stream = design->Save();
  if (!stream) return;
  // An offline event during the call drops the queue: keep what is needed afterwards.
  const std::string fileName = design->FileName;
  const TCookie cookie = record->cookie;
  record->alarmMode = 0;
  stream->Seek(0, platform::MemStream::SeekOrigin::Begin);
  IPelSrvObject* server = Server();
  const HRESULT hr = server ? server->SendStartStream(cookie, stream.get()) : RPC_E_DISCONNECTED;
  if (hr == kRetryLater) {
    ShowSendBox(kMsgTryLater, "");
    return;
  }
  if (hr != S_OK) return;
  // The server also answers S_OK for a connection it does not hold: only a transfer it reports
  // running makes the panel show one. A transfer that already ended has reported its end.
  std::int32_t sending = 0;
  server = Server();
  if (!server || FAILED(server->IsSending(cookie, &sending)) || sending == 0) return;
  // Shown whatever state the machine reported before: the server runs the transfer. Only a
  // machine that went offline during the call (its queue dropped) is not shown sending.
  const TMachineRecord* now = GetMachine(d);
  if (!now || now->cookie != cookie || now->queue.GetCount() == 0) return;
  SetCanSend(d, false);
  SetEnabled(d, false);
  SetSewImage(d, kSewImageSending);
  SetProgress(d, 0);
  SetBusy(d, true);
  if (trace_) {
    trace_->ShowTraceDesign(d, fileName);
    trace_->SetTraceProgress(d, kTraceStopped, 0, 0, 0, 0, 0);
  }
}

void TPanelManager::ShowSendBox(std::int32_t messageId, const std::string& detail) {
  sendBoxOpen_ = true;
  ShowMessageBox(true, messageId, detail);
  sendBoxOpen_ = false;
}

void TPanelManager::SendAll() {
  // Each send may show a box or take events that change the list: count again every time.
  for (int i = 0; i < GetMachineCount(); ++i)
    if (CanSend(i)) SendDesign(i);
}

void TPanelManager::DiscardQueuedDesign(int position, TDevNo d) {
  const TMachineRecord* record = GetMachine(d);
  if (!record) return;
  if (!record->inSyncGroup) {
    RemoveQueuedDesign(position, d);
    return;
  }
  const TStitchItem* chosen = record->queue.GetItem(position);
  if (!chosen) return;
  const TGroupJob job = TGroupJob::Of(*chosen);
  for (int j = 0; j < GetMachineCount(); ++j) {
    const TMachineRecord* member = GetMachine(j);
    if (!member || !member->inSyncGroup) continue;
    const TStitchItem* same = member->queue.GetItem(position);
    if (same && job.Holds(*same)) RemoveQueuedDesign(position, j);
  }
}

std::int32_t TPanelManager::SendFileStitchTotal(TDevNo d, const std::string& name) {
  TStitchItem design;
  return LoadSewnDesign(*this, d, name, design).total;
}
