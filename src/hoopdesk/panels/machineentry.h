// The machines the start-up, the port dialog and discovery hand to the panel manager, and how
// they number them: in list order from the current machine count, a machine the server cannot
// connect taking no number.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "pelsrvapi/pelservice_tlb.h"

class TPanelManager;

struct TMachineEntry {
  TConnInfo info{};
  std::string hostName;  // the machine name found by discovery; empty for a serial machine
};

// A configured serial slot: its "Port" setting taken as a signed 16-bit number (negative: the
// slot is empty) is the 0-based COM index.
std::optional<TMachineEntry> SerialSlotEntry(std::int32_t portSetting, std::int32_t baudRate);

// A machine found on the network: port and address (b1..b4 in memory order) exactly as
// discovery gives them, in network byte order.
TMachineEntry NetworkEntry(std::uint16_t port, std::uint32_t address, std::string name);

// Adds the entries in order, each with the next device number, until the list holds the most
// machines there may be; returns how many were added.
int AddMachines(TPanelManager& panels, std::span<const TMachineEntry> entries);
