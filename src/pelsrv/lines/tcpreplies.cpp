#include "pelsrv/lines/tcpreplies.h"

#include <algorithm>
#include <iterator>

#include "pelsrv/protocol/replyrecord.h"

namespace pelsrv {

namespace {

// Where the network's payload differs from the serial record less its code byte.
struct TcpPayload {
  std::uint8_t code;
  std::uint8_t payload;
};
constexpr TcpPayload kTcpPayloadsThatDiffer[] = {{0x0D, 0}, {0x41, 0}, {0x4F, 0}, {0x60, 11}};

// Replies whose payload is read and dropped: the handler needs their code alone.
constexpr std::uint8_t kPayloadDropped[] = {0x2F, 0x45, 0x6A};

constexpr std::uint8_t kKeepAlive = 0x16;

}  // namespace

TcpReplyShape TcpReplyShapeOf(std::uint8_t code) {
  if (code == kKeepAlive) return {0, ReplyHanding::kIgnore};
  // 0x02 is the same identity record as 0x01: the handler decodes both, so both come whole.
  const std::size_t serial = SerialReplyLength(code);
  std::size_t payload = serial > 0 ? serial - 1 : 0;
  for (const TcpPayload& differs : kTcpPayloadsThatDiffer) {
    if (differs.code == code) payload = differs.payload;
  }
  const bool dropped = std::find(std::begin(kPayloadDropped), std::end(kPayloadDropped), code) !=
                       std::end(kPayloadDropped);
  return {payload, payload == 0 || dropped ? ReplyHanding::kBareCode : ReplyHanding::kRecord};
}

ByteSource::Status ChunkedSource::Read(std::uint8_t* buffer, std::size_t size) {
  while (size > 0) {
    if (begin_ == end_) {
      const std::size_t got = Fill(chunk_.data(), chunk_.size());
      if (got == 0 || got > chunk_.size()) return Status::kEnd;
      begin_ = 0;
      end_ = got;
    }
    const std::size_t n = std::min(size, end_ - begin_);
    std::copy_n(chunk_.begin() + static_cast<std::ptrdiff_t>(begin_), n, buffer);
    begin_ += n;
    buffer += n;
    size -= n;
  }
  return Status::kOk;
}

ReadOutcome ReadTcpReply(ByteSource& source, TcpReply& reply) {
  reply = TcpReply{};
  if (source.Read(reply.bytes.data(), 1) != ByteSource::Status::kOk) return ReadOutcome::kEnd;
  const TcpReplyShape shape = TcpReplyShapeOf(reply.bytes[0]);
  if (shape.handing == ReplyHanding::kIgnore) return ReadOutcome::kKeepAlive;
  if (shape.payload > 0) {
    // Dropped payloads are read into the record too and then forgotten.
    if (source.Read(reply.bytes.data() + 1, shape.payload) != ByteSource::Status::kOk) {
      return ReadOutcome::kEnd;
    }
  }
  if (shape.handing == ReplyHanding::kRecord) {
    reply.length = 1 + shape.payload;
  } else {
    const std::uint8_t code = reply.bytes[0];
    reply = TcpReply{};
    reply.bytes[0] = code;
  }
  return ReadOutcome::kReply;
}

}  // namespace pelsrv
