#include "hoopdesk/slp/discoverysocket.h"

#include <array>
#include <cerrno>
#include <cstdint>

#include "hoopdesk/slp/slpaddress.h"
#include "hoopdesk/slp/slpmessage.h"

namespace slp {

namespace {

// Datagrams one call reads at most, so a flood of foreign ones cannot hold the main window up.
constexpr int kMaxDatagramsPerCall = 32;

}  // namespace

TDiscoverySocket::TDiscoverySocket() : destination_(ServiceRequestDestination()) {}

int TDiscoverySocket::Error() const {
  if (socket_.Error() != 0) return socket_.Error();
  return destination_ ? 0 : EDESTADDRREQ;
}

bool TDiscoverySocket::SendServiceRequest() {
  if (Error() != 0) return false;
  return socket_.SendTo(DiscoveryRequest(), *destination_);
}

bool TDiscoverySocket::ReceiveServiceReplies(TFoundMachine& entry) {
  if (Error() != 0) return false;
  std::array<std::uint8_t, kMaxDatagram> buffer;
  for (int read = 0; pending_.empty() && read < kMaxDatagramsPerCall; ++read) {
    const auto datagram = socket_.Receive(buffer);
    if (!datagram) break;
    const auto reply = ParseServiceReply({buffer.data(), datagram->size}, kDiscoveryXid);
    if (!reply) continue;
    for (const TUrlEntry& url : reply->urls) {
      TFoundMachine found;
      if (ParseServiceUrl(url.url, found)) pending_.push_back(std::move(found));
    }
  }
  if (pending_.empty()) return false;
  entry = std::move(pending_.front());
  pending_.pop_front();
  return true;
}

}  // namespace slp
