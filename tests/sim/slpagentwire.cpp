#include "sim/slpagentwire.h"

#include <string>

namespace sim {

std::optional<slp::TServiceRequest> ParseServiceRequest(std::span<const std::uint8_t> datagram) {
  slp::TSlpReader reader(datagram);
  const auto header = slp::ReadHeader(reader);
  if (!header || header->function != slp::kServiceRequest) return std::nullopt;
  slp::TServiceRequest request;
  request.flags = header->flags;
  request.xid = header->xid;
  request.language = header->language;
  request.previousResponders = reader.LengthText();
  request.serviceType = reader.LengthText();
  if (reader.Ok() && reader.Left() > 0) {
    request.scopes = reader.LengthText();
    request.predicate = reader.LengthText();
    reader.LengthText();  // security parameter index
  }
  if (!reader.Ok()) return std::nullopt;
  return request;
}

std::vector<std::uint8_t> EncodeServiceReply(std::uint16_t xid, std::string_view language,
                                             std::span<const slp::TUrlEntry> urls,
                                             std::uint16_t errorCode) {
  slp::TSlpWriter writer;
  slp::WriteHeader(writer, slp::kServiceReply, 0, xid, language);
  writer.U16(errorCode);
  if (errorCode == 0) {
    writer.U16(static_cast<std::uint16_t>(urls.size()));
    for (const slp::TUrlEntry& entry : urls) {
      writer.U8(0);  // reserved
      writer.U16(entry.lifetime);
      writer.LengthText(entry.url);
      writer.U8(0);  // no authentication blocks
    }
  }
  return std::move(writer).Finish();
}

std::string MachineUrl(std::string_view address, std::uint16_t port, std::string_view name,
                       std::string_view mac) {
  std::string url(slp::kSewingMachineType);
  url += "//";
  url += address;
  url += ':';
  url += std::to_string(port);
  url += ':';
  url += name;
  url += ':';
  url += mac;
  return url;
}

}  // namespace sim
