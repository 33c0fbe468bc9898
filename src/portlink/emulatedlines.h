#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Modem lines for devices that cannot report them (a pseudo-terminal answers ENOTTY). By
// default CTS and DSR are on while the other side of the device is open; a test playing the
// machine can force the status of a device to drop and raise lines, and can see the DTR and
// RTS levels the driver set.
namespace portlink {

// Forces the modem status bits (MS_*) reported for the device; nullopt returns to the default.
void SetEmulatedModemStatus(const std::string& device, std::optional<std::uint32_t> bits);
std::optional<std::uint32_t> ForcedModemStatus(const std::string& device);

struct EmulatedOutputs {
  bool dtr = false;
  bool rts = false;
};
void SetEmulatedOutputs(const std::string& device, EmulatedOutputs outputs);
EmulatedOutputs GetEmulatedOutputs(const std::string& device);

}  // namespace portlink
