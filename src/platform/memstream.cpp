#include "platform/memstream.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace platform {

std::size_t MemStream::Read(void* dest, std::size_t count) {
  const std::size_t n = count < Remaining() ? count : Remaining();
  if (n > 0) {
    std::memcpy(dest, bytes_.data() + pos_, n);
    pos_ += n;
  }
  return n;
}

std::size_t MemStream::Write(const void* src, std::size_t count) {
  if (count == 0) return 0;
  if (count > std::numeric_limits<std::size_t>::max() - pos_) return 0;
  const std::size_t end = pos_ + count;
  try {
    if (end > bytes_.size()) bytes_.resize(end);
  } catch (const std::bad_alloc&) {
    return 0;
  } catch (const std::length_error&) {
    return 0;
  }
  std::memcpy(bytes_.data() + pos_, src, count);
  pos_ = end;
  return count;
}

bool MemStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::Begin:
      base = 0;
      break;
    case SeekOrigin::Current:
      base = static_cast<std::int64_t>(pos_);
      break;
    case SeekOrigin::End:
      base = static_cast<std::int64_t>(bytes_.size());
      break;
  }
  if (offset < 0 ? base + offset < 0 : offset > std::numeric_limits<std::int64_t>::max() - base) {
    return false;
  }
  pos_ = static_cast<std::size_t>(base + offset);
  return true;
}

std::vector<std::uint8_t> MemStream::TakeBytes() {
  pos_ = 0;
  std::vector<std::uint8_t> out = std::move(bytes_);
  bytes_.clear();
  return out;
}

}  // namespace platform
