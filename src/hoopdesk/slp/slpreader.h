// Reads the big-endian fields of an SLPv2 message out of a received datagram. Every read is
// checked against the end of the message; the first read that would pass it fails, and so does
// every read after it, so a parser may read a run of fields and look at Ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace slp {

class TSlpReader {
 public:
  explicit TSlpReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U24();
  // `length` bytes as text; empty when they are not all there.
  std::string_view Text(std::size_t length);
  // A 16-bit length followed by that many bytes of text.
  std::string_view LengthText() { return Text(U16()); }
  void Skip(std::size_t length);

  bool Ok() const { return ok_; }
  std::size_t Position() const { return pos_; }
  std::size_t Left() const { return ok_ ? bytes_.size() - pos_ : 0; }
  // Ends the message at `length` bytes from its start (the length its header gives); fails when
  // fewer bytes than that were received or the reader has already passed it.
  void Limit(std::size_t length);

 private:
  bool Take(std::size_t length);

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace slp
