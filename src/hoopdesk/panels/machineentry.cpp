#include "hoopdesk/panels/machineentry.h"

#include <cstring>

#include "hoopdesk/panels/panelmanager.h"

std::optional<TMachineEntry> SerialSlotEntry(std::int32_t portSetting, std::int32_t baudRate) {
  const auto port = static_cast<std::int16_t>(static_cast<std::uint16_t>(portSetting));
  if (port < 0) return std::nullopt;
  TMachineEntry entry;
  entry.info.port = static_cast<std::uint16_t>(port);
  entry.info.baudRate = static_cast<std::uint16_t>(baudRate);
  return entry;
}

TMachineEntry NetworkEntry(std::uint16_t port, std::uint32_t address, std::string name) {
  TMachineEntry entry;
  entry.info.tcpip = 1;
  std::uint8_t bytes[4];
  std::memcpy(bytes, &address, sizeof bytes);
  entry.info.b1 = bytes[0];
  entry.info.b2 = bytes[1];
  entry.info.b3 = bytes[2];
  entry.info.b4 = bytes[3];
  entry.info.port = port;
  entry.hostName = std::move(name);
  return entry;
}

int AddMachines(TPanelManager& panels, std::span<const TMachineEntry> entries) {
  int added = 0;
  for (const TMachineEntry& entry : entries) {
    if (panels.GetMachineCount() >= TPanelManager::kMaxMachines) break;
    if (panels.AddMachine(panels.GetMachineCount(), entry.info, entry.hostName)) ++added;
  }
  return added;
}
