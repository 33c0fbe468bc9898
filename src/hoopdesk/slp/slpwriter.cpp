#include "hoopdesk/slp/slpwriter.h"

namespace slp {

void TSlpWriter::U16(std::uint16_t value) {
  bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  bytes_.push_back(static_cast<std::uint8_t>(value));
}

void TSlpWriter::U24(std::uint32_t value) {
  bytes_.push_back(static_cast<std::uint8_t>(value >> 16));
  bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  bytes_.push_back(static_cast<std::uint8_t>(value));
}

void TSlpWriter::Text(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void TSlpWriter::LengthText(std::string_view text) {
  U16(static_cast<std::uint16_t>(text.size()));
  Text(text);
}

std::vector<std::uint8_t> TSlpWriter::Finish() && {
  if (bytes_.size() >= 5) {
    const auto length = static_cast<std::uint32_t>(bytes_.size());
    bytes_[2] = static_cast<std::uint8_t>(length >> 16);
    bytes_[3] = static_cast<std::uint8_t>(length >> 8);
    bytes_[4] = static_cast<std::uint8_t>(length);
  }
  return std::move(bytes_);
}

}  // namespace slp
