#include "hoopdesk/mainwindow/foundmachines.h"

#include "hoopdesk/panels/panelmanager.h"
#include "hoopdesk/slp/discoverysocket.h"

TFoundMachines::TFoundMachines(TPanelManager& panels)
    : panels_(panels), discovery_(std::make_unique<slp::TDiscoverySocket>()) {}

TFoundMachines::~TFoundMachines() = default;

TConnInfo TFoundMachines::ConnInfo(const slp::TFoundMachine& entry) {
  TConnInfo info{};
  info.tcpip = 1;
  info.port = entry.port;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&entry.address);
  info.b1 = bytes[0];
  info.b2 = bytes[1];
  info.b3 = bytes[2];
  info.b4 = bytes[3];
  return info;
}

int TFoundMachines::FindMachineByAddress(std::uint16_t port, std::uint32_t address) const {
  const TMachineAddress wanted{port, address};
  for (int i = 0; i < panels_.GetMachineCount(); ++i) {
    if (panels_.GetMachineAddress(i) == wanted) return i;
  }
  return -1;
}

bool TFoundMachines::Merge(const slp::TFoundMachine& entry) {
  const int known = FindMachineByAddress(entry.port, entry.address);
  if (known >= 0) {
    if (!panels_.IsOnline(known)) panels_.ReconnectMachine(known);
    return false;
  }
  const int count = panels_.GetMachineCount();
  if (count >= kMaxMachines) return false;
  return panels_.AddMachine(count, ConnInfo(entry), entry.name);
}

void TFoundMachines::SendServiceRequest() { discovery_->SendServiceRequest(); }

std::optional<bool> TFoundMachines::ReceiveAndMerge() {
  slp::TFoundMachine entry;
  if (!discovery_->ReceiveServiceReplies(entry)) return std::nullopt;
  return Merge(entry);
}
