// How the machines that start-up, the port dialog and discovery hand to the panel manager are
// reached: a configured serial slot, a machine found on the network, and the port and address
// by which a machine found again is recognised.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

struct TMachineEntry {
  TConnInfo info{};
  std::string hostName;  // the machine name found by discovery; empty for a serial machine
};

// A configured serial slot: its "Port" setting taken as a signed 16-bit number (negative: the
// slot is empty) is the 0-based COM index.
std::optional<TMachineEntry> SerialSlotEntry(std::int32_t portSetting, std::int32_t baudRate);
// The filled slots of the configured "Port" settings, in slot order.
std::vector<TMachineEntry> SerialSlotEntries(std::span<const std::int32_t> portSettings,
                                             std::int32_t baudRate);

// A machine found on the network: port and address (b1..b4 in memory order) exactly as
// discovery gives them, in network byte order.
TMachineEntry NetworkEntry(std::uint16_t port, std::uint32_t address, std::string name);

// A machine's port and IPv4 address as discovery reports them, to recognise it when found again.
struct TMachineAddress {
  std::uint16_t port = 0;
  std::uint32_t address = 0;  // b1..b4 in memory order; 0 for a serial machine

  friend bool operator==(const TMachineAddress&, const TMachineAddress&) = default;
};
TMachineAddress MachineAddressOf(const TConnInfo& info);
