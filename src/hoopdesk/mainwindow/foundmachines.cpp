#include "hoopdesk/mainwindow/foundmachines.h"

#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/slp/discoverysocket.h"

TFoundMachines::TFoundMachines(TPanelManager& panels)
    : panels_(panels), discovery_(std::make_unique<slp::TDiscoverySocket>()) {}

TFoundMachines::~TFoundMachines() = default;

TMachineEntry FoundMachineEntry(const slp::TFoundMachine& found) {
  return NetworkEntry(found.port, found.address, found.name);
}

bool TFoundMachines::Merge(const slp::TFoundMachine& entry) {
  const int known = panels_.FindMachineByAddress({entry.port, entry.address});
  if (known >= 0) {
    if (!panels_.IsOnline(known)) panels_.ReconnectMachine(known);
    return false;
  }
  const TMachineEntry added = FoundMachineEntry(entry);
  return panels_.AddMachines({&added, 1}) == 1;
}

void TFoundMachines::SendServiceRequest() { discovery_->SendServiceRequest(); }

std::optional<bool> TFoundMachines::ReceiveAndMerge() {
  slp::TFoundMachine entry;
  if (!discovery_->ReceiveServiceReplies(entry)) return std::nullopt;
  return Merge(entry);
}
