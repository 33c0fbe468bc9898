#include "pelsrv/protocol/machinetext.h"

namespace {

// Length of the valid UTF-8 sequence at the start of `bytes`, 0 when there is none.
std::size_t Utf8SequenceLength(std::span<const std::uint8_t> bytes) {
  const std::uint8_t lead = bytes[0];
  std::size_t length = 0;
  std::uint32_t min = 0;
  std::uint32_t cp = 0;
  if (lead < 0x80) {
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (bytes[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string MachineTextToUtf8(std::span<const std::uint8_t> bytes) {
  std::size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  const std::span<const std::uint8_t> text = bytes.first(end);
  std::string utf8;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = Utf8SequenceLength(text.subspan(i));
    if (n == 0) {
      utf8 += "\xEF\xBF\xBD";
      ++i;
    } else {
      utf8.append(reinterpret_cast<const char*>(text.data() + i), n);
      i += n;
    }
  }
  return utf8;
}

bool IsSafeDesignName(std::string_view name) {
  if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return false;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}
