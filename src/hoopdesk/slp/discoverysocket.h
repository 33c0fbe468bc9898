// The main window's light-weight discovery: its timer sends the short service request now and
// then and reads the machines' answers on later ticks, never waiting for one.
#pragma once

#include <netinet/in.h>

#include <deque>
#include <optional>

#include "hoopdesk/slp/foundmachine.h"
#include "hoopdesk/slp/udpsocket.h"

namespace slp {

class TDiscoverySocket {
 public:
  // Opens the socket and fixes where requests go (slpaddress.h).
  TDiscoverySocket();

  // 0 when discovery can run; otherwise requests are not sent and nothing is received.
  int Error() const;

  // Sends the short request; false when it could not be sent.
  bool SendServiceRequest();

  // The next machine that answered, when one is waiting. Datagrams that are not answers to the
  // request (another function or transaction, malformed, an unusable URL) are read and dropped
  // on the way, a bounded number per call; an answer carrying several URLs gives one machine a
  // call.
  bool ReceiveServiceReplies(TFoundMachine& entry);

 private:
  TUdpSocket socket_;
  std::optional<sockaddr_in> destination_;
  std::deque<TFoundMachine> pending_;
};

}  // namespace slp
