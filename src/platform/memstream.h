#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A growable byte stream in memory with a current position, the way an IStream on
// global memory behaves: reads stop at the end of the data, writes past the end grow
// it (a gap left by a seek past the end reads as zeros), and seeking anywhere at or
// after the start is allowed. The stream owns its bytes; whoever holds it frees them.
class MemStream {
 public:
  enum class SeekOrigin { Begin, Current, End };

  MemStream() = default;
  explicit MemStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  // Copies up to count bytes from the position on into dest and advances the position.
  // Returns the number of bytes copied: fewer than count at the end of the data.
  std::size_t Read(void* dest, std::size_t count);

  // Stores count bytes at the position, growing the stream as needed, and advances the
  // position. Returns the number of bytes stored: 0 when the memory cannot be had.
  std::size_t Write(const void* src, std::size_t count);

  // Moves the position; false (position unchanged) when it would fall before the start
  // or beyond what a size_t can hold.
  bool Seek(std::int64_t offset, SeekOrigin origin);

  std::size_t Position() const { return pos_; }
  std::size_t size() const { return bytes_.size(); }
  std::size_t Remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }

  // Makes room for at least count bytes without changing the data.
  void Reserve(std::size_t count) { bytes_.reserve(count); }

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> TakeBytes();

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace platform
