// Builds an SLPv2 message: big-endian fields appended in order, and the 24-bit length of the
// header patched once the message is complete.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace slp {

class TSlpWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value);
  void U24(std::uint32_t value);
  void Text(std::string_view text);
  // A 16-bit length followed by the text; the caller keeps the text below 64 KiB.
  void LengthText(std::string_view text);

  // The message, with its total length written into bytes 2..4 of the header.
  std::vector<std::uint8_t> Finish() &&;

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace slp
