// The rules of the port dialog around the scan: the machines are released from the server
// before any port is opened here (never while one sews or has designs queued), the chosen baud
// rate and ports go into the settings on OK, and the machines are started again when the
// dialog closes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "hoopdesk/dialogs/scanline.h"
#include "hoopdesk/settings/settings.h"

class TPortHost;

class TPortSession {
 public:
  static constexpr std::array<std::int32_t, 3> kBaudRates = {9600, 19200, 38400};
  static constexpr int kCloseWaits = 10;

  TPortSession(TPortHost& host, TSettings& settings);

  // The radio item that shows a baud rate: 19200 the second, 38400 the third, else the first.
  static int BaudIndex(std::int32_t baudRate);

  bool Released() const { return released_; }
  // The dialog has begun to close: nothing may scan or store any more.
  bool Closing() const { return closing_; }
  std::int32_t BaudRate() const { return settings_.BaudRate; }
  bool Scanned() const { return scanned_; }

  // Before a scan: no machine may have designs queued, and the machines must be released.
  // Shows why not and returns false otherwise.
  bool PrepareScan();
  // Takes the radio item's baud rate into the settings, marking them changed when it differs.
  void TakeBaud(int index);
  // After a scan: the trace windows close, and OK may store the ports.
  void ScanDone();
  // OK with the radio item and the COM indexes of the checked rows, in list order. False, with
  // the reason shown, when the dialog must stay open.
  bool Accept(int baudIndex, const std::vector<int>& checkedPorts);
  // The dialog closes: released machines are started again, with a network search. From the
  // start of the close on, PrepareScan, TakeBaud and Accept refuse: the pump runs clicks that
  // were queued, and a scan would open ports the restarted machines hold.
  void Close(const TPump& pump);

 private:
  bool NothingQueued() const;
  bool Release();

  TPortHost& host_;
  TSettings& settings_;
  bool released_ = false;
  bool scanned_ = false;
  bool closing_ = false;
};
