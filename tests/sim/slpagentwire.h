// The agent's side of the SLPv2 exchange, for the simulated machine and the tests: reading a
// service request and writing a service reply.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "hoopdesk/slp/slpmessage.h"

namespace sim {

// A service request in the short form (it ends after the service type) or the full one (scope
// list, predicate and security index follow); none when it is not a well-formed request.
std::optional<slp::TServiceRequest> ParseServiceRequest(std::span<const std::uint8_t> datagram);

// A service reply with the given URLs; with a non-zero error code the URL list is left out.
std::vector<std::uint8_t> EncodeServiceReply(std::uint16_t xid, std::string_view language,
                                             std::span<const slp::TUrlEntry> urls,
                                             std::uint16_t errorCode = 0);

// The URL a simulated machine answers with:
// "service:sewing-machine://<address>:<port>:<name>:<mac>".
std::string MachineUrl(std::string_view address, std::uint16_t port, std::string_view name,
                       std::string_view mac);

}  // namespace sim
