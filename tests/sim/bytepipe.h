// The simulated machine's line: it writes its replies into a byte pipe and is handed the bytes
// the server sent. In-process tests use a buffer; TCP and pseudo-terminal adapters forward the
// same bytes over a real line.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace sim {

class IBytePipe {
 public:
  virtual ~IBytePipe() = default;
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

// A pipe that keeps what was written until it is taken.
class TBufferPipe final : public IBytePipe {
 public:
  void Write(std::span<const std::uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  std::vector<std::uint8_t> Take() { return std::exchange(bytes_, {}); }
  bool Empty() const { return bytes_.empty(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace sim
