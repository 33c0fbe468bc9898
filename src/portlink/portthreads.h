#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "portlink/driver.h"
#include "portlink/event.h"
#include "portlink/serialport.h"

// An open port and its threads: the reader/status thread (reads, watches the modem lines),
// the writer thread (writes the blocks of asynchronous sends) and, during an asynchronous
// send, the transfer thread that waits for the write and posts UM_BLOCK_SENT.
//
// Owned by the caller's thread through its slot; the threads share only the events below, the
// write request (under a lock) and the caller's records.
namespace portlink {

class OpenPort {
 public:
  OpenPort(Driver& driver, Slot& slot, std::unique_ptr<SerialPort> port);
  ~OpenPort();
  OpenPort(const OpenPort&) = delete;
  OpenPort& operator=(const OpenPort&) = delete;

  // Starts both threads and returns once the reader has read and reported the modem status.
  // False (with an error report) when a thread could not be started.
  bool Start();
  // Ends a transfer, stops both threads and closes the device (DTR and RTS dropped, settings
  // restored, queues purged).
  void Stop();

  SerialPort& Port() { return *port_; }

  // Writes a block on the calling thread, bounded in time; gives up at once when the port
  // stops, and with "Write aborted" when abort is set.
  void WriteBlock(const std::uint8_t* data, std::size_t length, Event* abort);

  void StartTransfer(const std::uint8_t* data, std::size_t length);
  // Ends the running transfer (its UM_BLOCK_SENT is posted after the write has stopped).
  void EndTransfer();
  void AbortTransfer();

 private:
  enum class Request { kNone, kPending, kWriting };

  void ReaderMain();
  void WriterMain();
  void TransferMain(Event* stop);
  void LineDown(std::uint32_t code);
  bool CtsHeld() const;

  Driver& driver_;
  Slot& slot_;
  std::unique_ptr<SerialPort> port_;
  Event exit_{Event::Reset::kManual};
  Event writeRequest_{Event::Reset::kAuto};
  Event transferComplete_{Event::Reset::kAuto};
  Event readerStarted_{Event::Reset::kManual};
  std::thread reader_;
  std::thread writer_;

  // The asynchronous send in progress, shared with the writer thread.
  std::mutex requestMutex_;
  std::condition_variable writerIdle_;
  Request request_ = Request::kNone;
  std::uint64_t requestSeq_ = 0;  // one per transfer
  const std::uint8_t* requestData_ = nullptr;
  std::size_t requestLength_ = 0;
  Event* requestAbort_ = nullptr;

  std::unique_ptr<Event> stop_;
  std::thread transfer_;
};

}  // namespace portlink
