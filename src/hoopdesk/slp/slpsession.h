// One open SLP handle: a socket of its own and the language of its requests. A search sends the
// full service request and repeats it while new agents keep answering, naming those that already
// did in the previous-responder list so they stay quiet (multicast convergence).
#pragma once

#include <netinet/in.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "hoopdesk/slp/slpmessage.h"
#include "hoopdesk/slp/udpsocket.h"

namespace slp {

enum class TSearchResult { kDone, kStopped, kTooLong, kNetworkError };

class TSlpSession {
 public:
  // How long each round of a search waits for answers; the search ends after a round that
  // brought no new agent, or after the last.
  static constexpr std::array<std::chrono::milliseconds, 3> kRoundWaits{
      std::chrono::milliseconds{400}, std::chrono::milliseconds{600},
      std::chrono::milliseconds{800}};

  explicit TSlpSession(std::string language);

  // 0 when searches can run (as TUdpSocket::Error, or EDESTADDRREQ for a bad destination).
  int Error() const;

  // Hands each distinct URL the agents answer with to onUrl, which returns false to stop.
  TSearchResult FindServices(std::string_view serviceType, std::string_view scopes,
                             std::string_view filter,
                             const std::function<bool(const TUrlEntry&)>& onUrl);

 private:
  TUdpSocket socket_;
  std::optional<sockaddr_in> destination_;
  std::string language_;
  std::uint16_t nextXid_;
};

}  // namespace slp
