#include "pelsrv/tcpreplies.h"

namespace pelsrv {

TcpReplyShape TcpReplyShapeOf(std::uint8_t code) {
  switch (code) {
    // 0x02 is the same identity record as 0x01: the handler decodes both, so both come whole.
    case 0x01:
    case 0x02:
      return {12, ReplyHanding::kRecord};
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x1E:
    case 0x21:
      return {7, ReplyHanding::kRecord};
    case 0x20:
      return {21, ReplyHanding::kRecord};
    case 0x22:
    case 0x61:
      return {1, ReplyHanding::kRecord};
    case 0x23:
      return {23, ReplyHanding::kRecord};
    case 0x60:
      return {11, ReplyHanding::kRecord};
    case 0x82:
    case 0x83:
      return {3, ReplyHanding::kRecord};
    case 0x2F:
      return {4, ReplyHanding::kBareCode};
    case 0x45:
      return {2, ReplyHanding::kBareCode};
    case 0x6A:
      return {1, ReplyHanding::kBareCode};
    case 0x16:
      return {0, ReplyHanding::kIgnore};
    default:
      return {0, ReplyHanding::kBareCode};
  }
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
