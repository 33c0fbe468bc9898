#include "hoopdesk/slp/slpsession.h"

#include <arpa/inet.h>

#include <cerrno>
#include <random>
#include <set>
#include <utility>

#include "hoopdesk/slp/slpaddress.h"

namespace slp {

namespace {

using Clock = std::chrono::steady_clock;

bool IsMulticast(const sockaddr_in& address) {
  return (ntohl(address.sin_addr.s_addr) >> 28) == 0xE;
}

std::string AddressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return text;
}

}  // namespace

TSlpSession::TSlpSession(std::string language)
    : destination_(ServiceRequestDestination()),
      language_(std::move(language)),
      nextXid_(static_cast<std::uint16_t>(std::random_device{}())) {}

int TSlpSession::Error() const {
  if (socket_.Error() != 0) return socket_.Error();
  return destination_ ? 0 : EDESTADDRREQ;
}

TSearchResult TSlpSession::FindServices(std::string_view serviceType, std::string_view scopes,
                                        std::string_view filter,
                                        const std::function<bool(const TUrlEntry&)>& onUrl) {
  if (Error() != 0) return TSearchResult::kNetworkError;
  TServiceRequest request;
  request.flags = IsMulticast(*destination_) ? kRequestMulticast : 0;
  request.xid = nextXid_++;
  request.language = language_;
  request.serviceType = serviceType;
  request.scopes = scopes;
  request.predicate = filter;

  std::set<std::string> responders;
  std::set<std::string> urls;
  std::array<std::uint8_t, kMaxDatagram> buffer;
  for (std::size_t round = 0; round < kRoundWaits.size(); ++round) {
    const auto bytes = EncodeServiceRequest(request);
    if (bytes.size() > kMaxDatagram) {
      if (round == 0) return TSearchResult::kTooLong;
      break;  // the responder list no longer fits
    }
    if (!socket_.SendTo(bytes, *destination_)) {
      return round == 0 ? TSearchResult::kNetworkError : TSearchResult::kDone;
    }
    bool newResponder = false;
    const auto deadline = Clock::now() + kRoundWaits[round];
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
      const auto datagram = socket_.Receive(buffer, wait);
      if (!datagram) continue;
      const auto reply = ParseServiceReply({buffer.data(), datagram->size}, request.xid);
      if (!reply) continue;
      newResponder = responders.insert(AddressText(datagram->from)).second || newResponder;
      for (const TUrlEntry& url : reply->urls) {
        if (urls.insert(url.url).second && !onUrl(url)) return TSearchResult::kStopped;
      }
    }
    if (!newResponder) break;
    request.previousResponders.clear();
    for (const std::string& responder : responders) {
      if (!request.previousResponders.empty()) request.previousResponders += ',';
      request.previousResponders += responder;
    }
  }
  return TSearchResult::kDone;
}

}  // namespace slp
