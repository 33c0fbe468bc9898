// Feeds arbitrary datagrams to discovery as they could arrive on its socket: the service reply
// parser, then the URL parser on every URL it lets through. Also the simulated agent's request
// parser, which reads the other direction with the same reader.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "hoopdesk/slp/foundmachine.h"
#include "hoopdesk/slp/slpaddress.h"
#include "hoopdesk/slp/slpmessage.h"
#include "sim/slpagentwire.h"

namespace {

void ParseAsReplyTo(std::span<const std::uint8_t> datagram, std::uint16_t xid) {
  const auto reply = slp::ParseServiceReply(datagram, xid);
  if (!reply) return;
  if (reply->errorCode != 0 && !reply->urls.empty()) std::abort();
  for (const slp::TUrlEntry& url : reply->urls) {
    if (url.url.size() > datagram.size()) std::abort();
    slp::TFoundMachine entry;
    if (!slp::ParseServiceUrl(url.url, entry)) continue;
    if (entry.port == 0 || !slp::IsMachineAddress(entry.address) ||
        entry.name.size() > slp::kMaxMachineName || entry.mac.size() > slp::kMaxMacText) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> datagram(data, size);
  ParseAsReplyTo(datagram, slp::kDiscoveryXid);
  // The datagram's own transaction id, so the fuzzer reaches the entries with any of them.
  if (size >= 12) ParseAsReplyTo(datagram, static_cast<std::uint16_t>(data[10] << 8 | data[11]));
  sim::ParseServiceRequest(datagram);
  return 0;
}
