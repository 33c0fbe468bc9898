#include "rpc/frame.h"

#include <algorithm>
#include <cstring>

#include "platform/littleendian.h"

namespace rpc {

void FrameWriter::U16(uint16_t v) {
  uint8_t b[2];
  PutU16(b, 0, v);
  Bytes(b);
}

void FrameWriter::U32(uint32_t v) {
  uint8_t b[4];
  PutU32(b, 0, v);
  Bytes(b);
}

void FrameWriter::String(const std::string& s) {
  U32(static_cast<uint32_t>(s.size()));
  bytes_.insert(bytes_.end(), s.begin(), s.end());
}

void FrameWriter::Blob(std::span<const uint8_t> b) {
  U32(static_cast<uint32_t>(b.size()));
  Bytes(b);
}

const uint8_t* FrameReader::Take(size_t n) {
  if (!ok_ || n > bytes_.size() - pos_) {
    ok_ = false;
    return nullptr;
  }
  const uint8_t* p = bytes_.data() + pos_;
  pos_ += n;
  return p;
}

uint8_t FrameReader::U8() {
  const uint8_t* p = Take(1);
  return p ? p[0] : 0;
}

uint16_t FrameReader::U16() {
  const uint8_t* p = Take(2);
  return p ? GetU16({p, 2}, 0) : 0;
}

uint32_t FrameReader::U32() {
  const uint8_t* p = Take(4);
  return p ? GetU32({p, 4}, 0) : 0;
}

bool FrameReader::Bytes(std::span<uint8_t> out) {
  const uint8_t* p = Take(out.size());
  if (!p) return false;
  if (!out.empty()) std::memcpy(out.data(), p, out.size());
  return true;
}

std::string FrameReader::String() {
  const uint32_t n = U32();
  if (n > kMaxString) {
    ok_ = false;
    return {};
  }
  const uint8_t* p = Take(n);
  return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
}

std::vector<uint8_t> FrameReader::Blob() {
  const uint32_t n = U32();
  if (n > kMaxBlob) {
    ok_ = false;
    return {};
  }
  const uint8_t* p = Take(n);
  return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
}

std::vector<uint8_t> EncodeFrameHeader(FrameKind kind, uint32_t seq, int32_t code,
                                       size_t payloadSize) {
  FrameWriter w;
  w.U32(static_cast<uint32_t>(kBodyHeaderSize + payloadSize));
  w.U8(static_cast<uint8_t>(kind));
  w.U32(seq);
  w.I32(code);
  return w.Take();
}

std::vector<uint8_t> EncodeFrame(FrameKind kind, uint32_t seq, int32_t code,
                                 std::span<const uint8_t> payload) {
  std::vector<uint8_t> frame = EncodeFrameHeader(kind, seq, code, payload.size());
  frame.reserve(frame.size() + payload.size());
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

void FrameDecoder::Feed(std::span<const uint8_t> bytes) {
  if (failed_) return;
  // Drop what was consumed before growing, so the buffer holds at most one frame and a bit.
  if (start_ > 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void FrameDecoder::Expect(size_t frameBytes) {
  if (failed_) return;
  if (start_ > 0) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.reserve(std::max(frameBytes, buffer_.size()));
}

std::optional<size_t> FrameDecoder::Announced() const {
  if (Buffered() < kFrameHeaderSize) return std::nullopt;
  return kFrameHeaderSize + FrameReader(std::span(buffer_).subspan(start_, kFrameHeaderSize)).U32();
}

std::optional<Frame> FrameDecoder::Next() {
  if (failed_) return std::nullopt;
  const size_t have = buffer_.size() - start_;
  if (have < kFrameHeaderSize) return std::nullopt;
  std::span<const uint8_t> rest = std::span(buffer_).subspan(start_);
  FrameReader header(rest.first(kFrameHeaderSize));
  const uint32_t body = header.U32();
  if (body < kBodyHeaderSize || body > kMaxFrameBody) {
    failed_ = true;
    return std::nullopt;
  }
  if (have - kFrameHeaderSize < body) return std::nullopt;
  FrameReader r(rest.subspan(kFrameHeaderSize, body));
  const uint8_t kind = r.U8();
  if (kind < static_cast<uint8_t>(FrameKind::kCall) ||
      kind > static_cast<uint8_t>(FrameKind::kEventReply)) {
    failed_ = true;
    return std::nullopt;
  }
  Frame f;
  f.kind = static_cast<FrameKind>(kind);
  f.seq = r.U32();
  f.code = r.I32();
  const size_t end = start_ + kFrameHeaderSize + body;
  if (start_ == 0 && end == buffer_.size()) {
    // The buffer holds just this frame: hand it over instead of copying a large payload.
    f.payload = std::move(buffer_);
    f.payload.erase(f.payload.begin(), f.payload.begin() + kFrameHeaderSize + kBodyHeaderSize);
    buffer_.clear();
    start_ = 0;
    return f;
  }
  auto payload = rest.subspan(kFrameHeaderSize + kBodyHeaderSize, body - kBodyHeaderSize);
  f.payload.assign(payload.begin(), payload.end());
  start_ = end;
  return f;
}

}  // namespace rpc
