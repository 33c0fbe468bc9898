#include "hoopdesk/dialogs/portsession.h"

#include <chrono>
#include <thread>

#include "hoopdesk/dialogs/porthost.h"
#include "pelsrvapi/messageids.h"
#include "shared/util.h"

TPortSession::TPortSession(TPortHost& host, TSettings& settings)
    : host_(host), settings_(settings) {}

int TPortSession::BaudIndex(std::int32_t baudRate) {
  if (baudRate == kBaudRates[1]) return 1;
  if (baudRate == kBaudRates[2]) return 2;
  return 0;
}

// Every machine counts: the release removes all of them with their queues.
bool TPortSession::NothingQueued() const {
  for (int m = 0; m < host_.MachineCount(); ++m) {
    if (host_.GetQueuedCount(m) > 0) {
      ShowMessageBox(true, kMsgSendQueueNotEmpty, "");
      return false;
    }
  }
  return true;
}

// Once released the machines stay released until the dialog closes; a refusal ("try later")
// is asked again at the next attempt.
bool TPortSession::Release() {
  if (released_) return true;
  if (!NothingQueued()) return false;
  if (!host_.ReleaseMachines(false)) {
    ShowMessageBox(true, kMsgMachinesActive, "");
    return false;
  }
  released_ = true;
  return true;
}

bool TPortSession::PrepareScan() { return !closing_ && Release(); }

void TPortSession::TakeBaud(int index) {
  if (closing_) return;
  const std::int32_t baud =
      kBaudRates[static_cast<std::size_t>(index >= 1 && index <= 2 ? index : 0)];
  if (baud == settings_.BaudRate) return;
  settings_.BaudRate = baud;
  settings_.modified = true;
}

void TPortSession::ScanDone() {
  scanned_ = true;
  host_.CloseTraceWindows();
}

bool TPortSession::Accept(int baudIndex, const std::vector<int>& checkedPorts) {
  if (closing_ || !Release()) return false;
  TakeBaud(baudIndex);
  if (!scanned_) return true;
  if (checkedPorts.empty() || checkedPorts.size() > settings_.Ports.size()) {
    ShowMessageBox(true, kMsgPortSelection, "");
    return false;
  }
  settings_.modified = true;
  for (std::size_t slot = 0; slot < settings_.Ports.size(); ++slot)
    settings_.Ports[slot] = slot < checkedPorts.size() ? checkedPorts[slot] : kNoPort;
  return true;
}

void TPortSession::Close(const TPump& pump) {
  if (closing_) return;
  closing_ = true;
  if (released_) host_.StartMachines(true);
  for (int i = 0; i < kCloseWaits; ++i) {
    if (pump) pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  host_.TabSendResize();
}
