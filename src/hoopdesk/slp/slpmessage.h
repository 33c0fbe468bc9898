// The SLPv2 messages of machine discovery: the service request in both of its forms (the short
// one every sewing machine answers, and the full one of a library search) and the service reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hoopdesk/slp/slpreader.h"
#include "hoopdesk/slp/slpwriter.h"

namespace slp {

inline constexpr std::uint8_t kSlpVersion = 2;
inline constexpr std::uint8_t kServiceRequest = 1;          // SrvRqst
inline constexpr std::uint8_t kServiceReply = 2;            // SrvRply
inline constexpr std::uint16_t kRequestMulticast = 0x2000;  // header flag R
inline constexpr std::string_view kSewingMachineType = "service:sewing-machine";
// Transaction id of the short request; its answers carry it back.
inline constexpr std::uint16_t kDiscoveryXid = 7;
// Largest datagram sent or read, as the machines use.
inline constexpr std::size_t kMaxDatagram = 1400;

struct TSlpHeader {
  std::uint8_t function = 0;
  std::uint16_t flags = 0;
  std::uint16_t xid = 0;
  std::string_view language;
};

// Reads the header every SLPv2 message starts with and ends the reader at the length the header
// gives. None for another version, or a length shorter than the header or longer than what was
// received.
std::optional<TSlpHeader> ReadHeader(TSlpReader& reader);
// Writes a header with a zero length; TSlpWriter::Finish fills it in.
void WriteHeader(TSlpWriter& writer, std::uint8_t function, std::uint16_t flags, std::uint16_t xid,
                 std::string_view language);

struct TServiceRequest {
  std::uint16_t flags = kRequestMulticast;
  std::uint16_t xid = kDiscoveryXid;
  std::string language = "en";
  std::string previousResponders;  // comma-separated addresses that need not answer again
  std::string serviceType{kSewingMachineType};
  std::string scopes;
  std::string predicate;
};

// The short request the main window multicasts: header, responder list and service type, with
// no scope list, predicate or security fields (42 bytes). Every sewing machine answers it.
std::vector<std::uint8_t> DiscoveryRequest();
// The full request of a library search: scope list, predicate and an empty security index follow.
std::vector<std::uint8_t> EncodeServiceRequest(const TServiceRequest& request);

struct TUrlEntry {
  std::uint16_t lifetime = 0;  // seconds
  std::string url;
};

struct TServiceReply {
  std::uint16_t errorCode = 0;
  std::vector<TUrlEntry> urls;  // empty when errorCode is not 0
};

// A service reply to the request with transaction id `xid`, read field by field within the
// received bytes: none for anything else (another function or transaction, a cut or overlong
// field, a URL with a zero byte in it). Authentication blocks are skipped, not checked.
std::optional<TServiceReply> ParseServiceReply(std::span<const std::uint8_t> datagram,
                                               std::uint16_t xid);

}  // namespace slp
