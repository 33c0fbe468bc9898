#include "hoopdesk/slp/foundmachine.h"

#include <arpa/inet.h>

#include <algorithm>
#include <tuple>

#include "hoopdesk/slp/slpaddress.h"

namespace slp {

bool ParseServiceUrl(std::string_view url, TFoundMachine& entry) {
  if (url.find('\0') != std::string_view::npos) return false;
  const std::size_t slashes = url.find("//");
  if (slashes == std::string_view::npos) return false;
  const std::string_view rest = url.substr(slashes + 2);
  const std::size_t portStart = rest.find(':');
  if (portStart == std::string_view::npos) return false;
  const std::size_t nameStart = rest.find(':', portStart + 1);
  if (nameStart == std::string_view::npos) return false;
  const std::size_t nameEnd = rest.find(':', nameStart + 1);
  if (nameEnd == std::string_view::npos) return false;

  const auto address = ParseIpv4(rest.substr(0, portStart));
  const auto port = ParsePort(rest.substr(portStart + 1, nameStart - portStart - 1));
  if (!address || !IsMachineAddress(*address) || !port) return false;
  entry.address = *address;
  entry.port = htons(*port);
  entry.name = rest.substr(nameStart + 1, std::min(nameEnd - nameStart - 1, kMaxMachineName));
  entry.mac = rest.substr(nameEnd + 1, kMaxMacText);
  return true;
}

void SortFoundMachines(std::vector<TFoundMachine>& list) {
  std::stable_sort(list.begin(), list.end(), [](const TFoundMachine& a, const TFoundMachine& b) {
    return std::tuple(ntohl(a.address), ntohs(a.port)) <
           std::tuple(ntohl(b.address), ntohs(b.port));
  });
}

}  // namespace slp
