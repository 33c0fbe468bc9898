// A networked machine that discovery found, as its service URL describes it:
// "service:sewing-machine://<IPv4 address>:<port>:<name>:<MAC text>".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace slp {

inline constexpr std::size_t kMaxMachineName = 31;
inline constexpr std::size_t kMaxMacText = 17;

struct TFoundMachine {
  std::uint16_t port = 0;     // TCP port, network byte order
  std::uint32_t address = 0;  // IPv4 address, network byte order
  // The machine's own name, as it came over the network: it reaches a file only through
  // NetworkColorSection (shared/colorinfo.h).
  std::string name;
  std::string mac;  // MAC address text, which may itself hold colons
};

// Reads the URL: the address after "//", the port up to the next ':' (1 to 65535), then the
// name up to the next ':' (cut to 31 characters) and everything after it as the MAC text (cut to
// 17). The address is four decimal parts (no short, octal or hexadecimal forms) and one a
// machine can have (IsMachineAddress). False, leaving the entry as it was, when any part is
// missing or invalid.
bool ParseServiceUrl(std::string_view url, TFoundMachine& entry);

// Ascending by address and then by port, both taken as numbers (10.0.0.9 before 10.0.0.10).
void SortFoundMachines(std::vector<TFoundMachine>& list);

}  // namespace slp
