// Addresses and ports as discovery reads them from outside: from a machine's service URL and
// from the environment. Strict: a text that is not wholly a valid value gives none.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace slp {

// The SLP multicast group and port service requests go to.
inline constexpr std::string_view kSlpMulticastGroup = "239.255.255.253";
inline constexpr std::uint16_t kSlpPort = 427;
// Replaces the multicast destination, for tests and simulated machines on one host.
inline constexpr const char* kSlpAddressVariable = "PELLORA_SLP_ADDRESS";

// A decimal port from 1 to 65535 (leading zeros allowed), in host byte order.
std::optional<std::uint16_t> ParsePort(std::string_view text);
// A dotted IPv4 address (four decimal parts), in network byte order.
std::optional<std::uint32_t> ParseIpv4(std::string_view text);
// True when a machine can have the address (network byte order): not unspecified (0.0.0.0),
// not the limited broadcast (255.255.255.255), not multicast (224.0.0.0/4). A connection to
// any of those would reach this computer, every host or a group, never the one machine.
bool IsMachineAddress(std::uint32_t address);
// "host:port" with a dotted IPv4 address or a host name that resolves to one.
std::optional<sockaddr_in> ParseHostPort(std::string_view text);

// Where service requests go: $PELLORA_SLP_ADDRESS when set, else the multicast group. None, with
// a warning on standard error, when the variable is set but not a valid "host:port".
std::optional<sockaddr_in> ServiceRequestDestination();

}  // namespace slp
