#include "hoopdesk/machines/machineentry.h"

#include <cstring>

std::optional<TMachineEntry> SerialSlotEntry(std::int32_t portSetting, std::int32_t baudRate) {
  const auto port = static_cast<std::int16_t>(static_cast<std::uint16_t>(portSetting));
  if (port < 0) return std::nullopt;
  TMachineEntry entry;
  entry.info.port = static_cast<std::uint16_t>(port);
  entry.info.baudRate = static_cast<std::uint16_t>(baudRate);
  return entry;
}

std::vector<TMachineEntry> SerialSlotEntries(std::span<const std::int32_t> portSettings,
                                             std::int32_t baudRate) {
  std::vector<TMachineEntry> entries;
  for (const std::int32_t setting : portSettings)
    if (std::optional<TMachineEntry> entry = SerialSlotEntry(setting, baudRate))
      entries.push_back(std::move(*entry));
  return entries;
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

TMachineAddress MachineAddressOf(const TConnInfo& info) {
  TMachineAddress result{info.port, 0};
  if (info.tcpip != 0) {
    const std::uint8_t bytes[4] = {info.b1, info.b2, info.b3, info.b4};
    std::memcpy(&result.address, bytes, sizeof bytes);
  }
  return result;
}
