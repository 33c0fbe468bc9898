// Cutting a machine's TCP/IP byte stream into reply records. On the network a reply is its code
// byte followed by a payload whose length the code fixes: the serial record less its code byte
// (Portlink's command length table), except that 0x60 carries 11 payload bytes here and 0x0D,
// 0x41 and 0x4F none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "portlink/commandlength.h"

namespace pelsrv {

enum class ReplyHanding {
  kRecord,    // the whole record goes to the reply handler
  kBareCode,  // the payload (if any) is read and dropped; the handler gets the code alone
  kIgnore,    // the keep-alive byte 0x16
};

struct TcpReplyShape {
  std::size_t payload;
  ReplyHanding handing;
};

TcpReplyShape TcpReplyShapeOf(std::uint8_t code);

// The longest record (0x23) is as long as on a serial line, 24 bytes with its code.
inline constexpr std::size_t kMaxTcpRecord = portlink::kMaxCommand;

// One reply as it is handed to the main thread, by value.
struct TcpReply {
  std::array<std::uint8_t, kMaxTcpRecord> bytes{};
  std::size_t length = 0;  // 0: a bare code, in bytes[0]
  std::uint8_t Code() const { return bytes[0]; }
};

// Where the bytes come from: the socket in the reader, memory in tests and the fuzz target.
class ByteSource {
 public:
  enum class Status { kOk, kEnd };
  virtual ~ByteSource() = default;
  // Fills exactly `size` bytes or reports kEnd (closed, silent too long, failed, woken).
  virtual Status Read(std::uint8_t* buffer, std::size_t size) = 0;
};

// A source that serves exact reads out of the chunks a line delivers (each whatever had arrived,
// at least one byte), so one receive that finds several replies waiting hands on all of them.
class ChunkedSource : public ByteSource {
 public:
  // Room for every reply a machine may have sent while the previous one was handled.
  static constexpr std::size_t kChunk = 512;

  Status Read(std::uint8_t* buffer, std::size_t size) override;

 protected:
  // The next chunk into `buffer` (at most `capacity` bytes): its size, 0 when the line has
  // ended (closed, silent too long, failed, woken).
  virtual std::size_t Fill(std::uint8_t* buffer, std::size_t capacity) = 0;

 private:
  std::array<std::uint8_t, kChunk> chunk_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

enum class ReadOutcome {
  kReply,      // `reply` holds a record or a bare code for the handler
  kKeepAlive,  // a 0x16 byte; nothing for the handler
  kEnd,        // the source ended, possibly inside a payload: the line is gone
};

// Reads one reply. A payload that cannot be read completely is never handed on: it ends the line.
ReadOutcome ReadTcpReply(ByteSource& source, TcpReply& reply);

}  // namespace pelsrv
