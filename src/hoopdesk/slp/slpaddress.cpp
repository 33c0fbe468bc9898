#include "hoopdesk/slp/slpaddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace slp {

namespace {

// Long enough for any host name a resolver takes.
constexpr std::size_t kMaxHostText = 253;

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_addr.s_addr = address;
  result.sin_port = htons(port);
  return result;
}

std::optional<std::uint32_t> ResolveIpv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  const std::uint32_t address =
      reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return address;
}

}  // namespace

std::optional<std::uint16_t> ParsePort(std::string_view text) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || value < 1 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::optional<std::uint32_t> ParseIpv4(std::string_view text) {
  // inet_pton takes exactly the dotted form "a.b.c.d" and needs a terminated string.
  if (text.size() > INET_ADDRSTRLEN - 1) return std::nullopt;
  const std::string terminated(text);
  in_addr address{};
  if (::inet_pton(AF_INET, terminated.c_str(), &address) != 1) return std::nullopt;
  return address.s_addr;
}

bool IsMachineAddress(std::uint32_t address) {
  const std::uint32_t host = ntohl(address);
  constexpr std::uint32_t kUnspecified = 0x00000000;
  constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFF;
  constexpr std::uint32_t kMulticastMask = 0xF0000000;
  constexpr std::uint32_t kMulticastNet = 0xE0000000;
  return host != kUnspecified && host != kLimitedBroadcast &&
         (host & kMulticastMask) != kMulticastNet;
}

std::optional<sockaddr_in> ParseHostPort(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon > kMaxHostText) return std::nullopt;
  const auto port = ParsePort(text.substr(colon + 1));
  if (!port) return std::nullopt;
  const std::string_view host = text.substr(0, colon);
  if (host.find('\0') != std::string_view::npos) return std::nullopt;
  auto address = ParseIpv4(host);
  if (!address) address = ResolveIpv4(std::string(host));
  if (!address) return std::nullopt;
  return MakeAddress(*address, *port);
}

std::optional<sockaddr_in> ServiceRequestDestination() {
  const char* configured = std::getenv(kSlpAddressVariable);
  if (configured == nullptr) return MakeAddress(*ParseIpv4(kSlpMulticastGroup), kSlpPort);
  auto destination = ParseHostPort(configured);
  if (!destination) {
    std::fprintf(stderr, "%s=%s is not host:port; machines are not searched\n", kSlpAddressVariable,
                 configured);
  }
  return destination;
}

}  // namespace slp
