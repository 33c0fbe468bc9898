#include "hoopdesk/slp/slpmessage.h"

#include <algorithm>

namespace slp {

namespace {

// Version, function, length, flags, next-extension offset, XID, language tag length.
constexpr std::size_t kFixedHeaderSize = 14;
// Reserved byte, lifetime, URL length and the count of authentication blocks.
constexpr std::size_t kMinUrlEntrySize = 6;
// Block structure descriptor and block length, which counts both.
constexpr std::uint16_t kMinAuthBlockSize = 4;

void WriteRequestStart(TSlpWriter& writer, const TServiceRequest& request) {
  WriteHeader(writer, kServiceRequest, request.flags, request.xid, request.language);
  writer.LengthText(request.previousResponders);
  writer.LengthText(request.serviceType);
}

bool ReadUrlEntry(TSlpReader& reader, TUrlEntry& entry) {
  reader.U8();  // reserved
  entry.lifetime = reader.U16();
  const std::string_view url = reader.LengthText();
  for (std::uint8_t auths = reader.U8(); auths > 0 && reader.Ok(); --auths) {
    reader.U16();  // block structure descriptor
    const std::uint16_t length = reader.U16();
    if (length < kMinAuthBlockSize) return false;
    reader.Skip(length - kMinAuthBlockSize);
  }
  if (!reader.Ok() || url.find('\0') != std::string_view::npos) return false;
  entry.url = url;
  return true;
}

}  // namespace

std::optional<TSlpHeader> ReadHeader(TSlpReader& reader) {
  TSlpHeader header;
  const std::uint8_t version = reader.U8();
  header.function = reader.U8();
  const std::uint32_t length = reader.U24();
  header.flags = reader.U16();
  reader.U24();  // next extension offset: no extension is used
  header.xid = reader.U16();
  if (!reader.Ok() || version != kSlpVersion || length < kFixedHeaderSize) return std::nullopt;
  reader.Limit(length);
  header.language = reader.LengthText();
  if (!reader.Ok()) return std::nullopt;
  return header;
}

void WriteHeader(TSlpWriter& writer, std::uint8_t function, std::uint16_t flags, std::uint16_t xid,
                 std::string_view language) {
  writer.U8(kSlpVersion);
  writer.U8(function);
  writer.U24(0);
  writer.U16(flags);
  writer.U24(0);
  writer.U16(xid);
  writer.LengthText(language);
}

std::vector<std::uint8_t> DiscoveryRequest() {
  TSlpWriter writer;
  WriteRequestStart(writer, TServiceRequest{});
  return std::move(writer).Finish();
}

std::vector<std::uint8_t> EncodeServiceRequest(const TServiceRequest& request) {
  TSlpWriter writer;
  WriteRequestStart(writer, request);
  writer.LengthText(request.scopes);
  writer.LengthText(request.predicate);
  writer.LengthText({});  // security parameter index: none
  return std::move(writer).Finish();
}

std::optional<TServiceReply> ParseServiceReply(std::span<const std::uint8_t> datagram,
                                               std::uint16_t xid) {
  TSlpReader reader(datagram);
  const auto header = ReadHeader(reader);
  if (!header || header->function != kServiceReply || header->xid != xid) return std::nullopt;
  TServiceReply reply;
  reply.errorCode = reader.U16();
  if (!reader.Ok()) return std::nullopt;
  // An agent may end an error reply right after the code.
  if (reply.errorCode != 0) return reply;
  const std::uint16_t count = reader.U16();
  if (!reader.Ok()) return std::nullopt;
  reply.urls.reserve(std::min<std::size_t>(count, reader.Left() / kMinUrlEntrySize));
  for (std::uint16_t i = 0; i < count; ++i) {
    TUrlEntry entry;
    if (!ReadUrlEntry(reader, entry)) return std::nullopt;
    reply.urls.push_back(std::move(entry));
  }
  return reply;
}

}  // namespace slp
