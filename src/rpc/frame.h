#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Wire format shared by the server and its clients. Every message is one frame:
//   u32 body length (little-endian), then the body:
//   u8 kind, u32 sequence number, i32 code, then the values of the message.
// The code is the DISPID for calls and events, the HRESULT for replies.
// Values are little-endian integers, strings and blobs as u32 length + bytes.
namespace rpc {

enum class FrameKind : uint8_t {
  kCall = 1,        // client -> server: a method of the server object
  kReply = 2,       // server -> client: result of a call
  kEvent = 3,       // server -> client: an event for one advised sink
  kEventReply = 4,  // client -> server: the out values of an event
};

inline constexpr size_t kFrameHeaderSize = 4;
inline constexpr size_t kBodyHeaderSize = 9;
// A 1,000,000-stitch design in its stream form takes about 12 MB; leave room for more.
inline constexpr size_t kMaxBlob = 64u << 20;
inline constexpr size_t kMaxString = 64u << 10;
inline constexpr size_t kMaxFrameBody = kMaxBlob + (1u << 20);

struct Frame {
  FrameKind kind = FrameKind::kCall;
  uint32_t seq = 0;
  int32_t code = 0;
  std::vector<uint8_t> payload;
};

// Appends little-endian values to a byte vector.
class FrameWriter {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v);
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Bytes(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  // Length-prefixed; the caller keeps within kMaxString / kMaxBlob (checked by the reader).
  void String(const std::string& s);
  void Blob(std::span<const uint8_t> b);

  std::vector<uint8_t>& bytes() { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads values from a payload. Every read is bounds-checked; after the first failure the
// reader stays failed and returns zero values, so a caller checks ok() once at the end.
class FrameReader {
 public:
  explicit FrameReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  bool Bytes(std::span<uint8_t> out);
  std::string String();
  std::vector<uint8_t> Blob();

  bool ok() const { return ok_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  size_t remaining() const { return bytes_.size() - pos_; }
  void Fail() { ok_ = false; }

 private:
  const uint8_t* Take(size_t n);

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// The frame and body headers of a frame whose values take payloadSize bytes; the values
// follow them on the socket.
std::vector<uint8_t> EncodeFrameHeader(FrameKind kind, uint32_t seq, int32_t code,
                                       size_t payloadSize);

// The whole frame, header included, ready to be written to a socket.
std::vector<uint8_t> EncodeFrame(FrameKind kind, uint32_t seq, int32_t code,
                                 std::span<const uint8_t> payload);

// Cuts frames out of a byte stream. Feed it what the socket gave; take frames while Next()
// has one. The buffer grows as the bytes arrive, never by what a frame only announces. A frame
// whose announced length is too small or too large, or whose kind is unknown, puts the decoder in
// the failed state: the connection must then be dropped.
class FrameDecoder {
 public:
  void Feed(std::span<const uint8_t> bytes);
  std::optional<Frame> Next();
  bool failed() const { return failed_; }

  // Bytes fed and not yet taken as frames.
  size_t Buffered() const { return buffer_.size() - start_; }
  // The whole size, header included, that the next frame announces, once its length is here.
  std::optional<size_t> Announced() const;
  // Makes room for a frame of `frameBytes` (its announced size, whose budget the caller holds)
  // at once, so a large one arrives without the buffer growing and copying on the way.
  void Expect(size_t frameBytes);

 private:
  std::vector<uint8_t> buffer_;
  size_t start_ = 0;
  bool failed_ = false;
};

}  // namespace rpc
