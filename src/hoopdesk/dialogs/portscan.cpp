#include "hoopdesk/dialogs/portscan.h"

#include <array>

#include "hoopdesk/dialogs/portmachine.h"
#include "platform/messages.h"

namespace {

constexpr std::array<std::uint8_t, 3> kModemTest = {'A', 'T', '\r'};
constexpr std::array<std::uint8_t, 1> kIdentityRequest = {0xD1};

// Asks the open port: a modem answers the modem test, a machine then tells its identity.
bool Probe(TScanLine& line, const TPump& pump) {
  if (!line.Dsr()) return false;
  line.Send(kModemTest);
  if (!line.WaitForReply(pump)) return false;
  if (!line.ModemAnswered()) {
    line.Send(kIdentityRequest);
    line.WaitForReply(pump);
  }
  return true;
}

}  // namespace

void ScanPorts(TScanLine& line, std::uint32_t baudRate, const TScanCallbacks& callbacks) {
  line.Begin(baudRate);
  for (int com = 0; com < kScanPorts; ++com) {
    // A port this computer does not have is no step of the scan: with no port at all the bar
    // stays at 0.
    if (!line.Find(com)) continue;
    const bool opened = line.Open();
    const bool answered = opened && Probe(line, callbacks.pump);
    // Only an opened port shows its DSR; one that did not open counts as silent with DSR off.
    const bool dsr = opened && line.Dsr();
    line.Close();

    TPortRow row{com, {}, dsr, false};
    if (answered) {
      const TPortMachine machine = DescribeMachine(line.Identity());
      if (!machine.Listed()) continue;
      row.model = machine.text;
      row.checked = machine.checked;
    } else {
      if (dsr) continue;
      row.model = platform::MessageText(kNoResponseMessage);
    }
    if (callbacks.row) callbacks.row(row);
    if (callbacks.step) callbacks.step();
  }
}
