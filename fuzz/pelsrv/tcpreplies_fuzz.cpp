// Feeds arbitrary bytes to the TCP/IP reply cutter as a machine would send them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "pelsrv/lines/tcpreplies.h"

namespace {

class Bytes : public pelsrv::ByteSource {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  Status Read(std::uint8_t* buffer, std::size_t size) override {
    if (size_ - pos_ < size) return Status::kEnd;
    std::copy_n(data_ + pos_, size, buffer);
    pos_ += size;
    return Status::kOk;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes source(data, size);
  pelsrv::TcpReply reply;
  for (;;) {
    pelsrv::ReadOutcome outcome = pelsrv::ReadTcpReply(source, reply);
    if (outcome == pelsrv::ReadOutcome::kEnd) break;
    if (outcome == pelsrv::ReadOutcome::kReply && reply.length > pelsrv::kMaxTcpRecord) abort();
  }
  return 0;
}
