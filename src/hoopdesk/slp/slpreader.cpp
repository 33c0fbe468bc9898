#include "hoopdesk/slp/slpreader.h"

namespace slp {

bool TSlpReader::Take(std::size_t length) {
  if (!ok_ || length > bytes_.size() - pos_) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint8_t TSlpReader::U8() {
  if (!Take(1)) return 0;
  return bytes_[pos_++];
}

std::uint16_t TSlpReader::U16() {
  if (!Take(2)) return 0;
  const auto value = static_cast<std::uint16_t>(bytes_[pos_] << 8 | bytes_[pos_ + 1]);
  pos_ += 2;
  return value;
}

std::uint32_t TSlpReader::U24() {
  if (!Take(3)) return 0;
  const std::uint32_t value =
      std::uint32_t{bytes_[pos_]} << 16 | std::uint32_t{bytes_[pos_ + 1]} << 8 | bytes_[pos_ + 2];
  pos_ += 3;
  return value;
}

std::string_view TSlpReader::Text(std::size_t length) {
  if (!Take(length)) return {};
  const std::string_view text(reinterpret_cast<const char*>(bytes_.data() + pos_), length);
  pos_ += length;
  return text;
}

void TSlpReader::Skip(std::size_t length) {
  if (Take(length)) pos_ += length;
}

void TSlpReader::Limit(std::size_t length) {
  if (!ok_ || length > bytes_.size() || length < pos_) {
    ok_ = false;
    return;
  }
  bytes_ = bytes_.first(length);
}

}  // namespace slp
