#include "portlink/portthreads.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <system_error>

#include "platform/usermessages.h"
#include "portlink/errors.h"
#include "portlink/linewatch.h"
#include "portlink/receiver.h"

namespace portlink {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kStatusPeriodMs = 500;
constexpr std::size_t kReadSize = 512;
constexpr auto kWriterStopWait = std::chrono::seconds(3);
constexpr auto kReaderStartWait = milliseconds(5000);

std::intptr_t ThreadHandle(const std::thread& t) {
  return static_cast<std::intptr_t>(std::hash<std::thread::id>{}(t.get_id()) | 1);
}

// How long a block may take: twice its time on the line (12 bits a byte) and two seconds.
milliseconds WriteBound(std::size_t length, std::uint32_t baud) {
  const std::uint64_t lineMs =
      static_cast<std::uint64_t>(length) * 12 * 1000 / (baud ? baud : 9600);
  return milliseconds(2000 + 2 * lineMs);
}

}  // namespace

OpenPort::OpenPort(Driver& driver, Slot& slot, std::unique_ptr<SerialPort> port)
    : driver_(driver), slot_(slot), port_(std::move(port)) {}

OpenPort::~OpenPort() { Stop(); }

bool OpenPort::Start() {
  if (!exit_.Valid()) {
    driver_.ReportError(slot_, ErrorFromErrno(errno), "CreateEvent (Thread exit event)");
    return false;
  }
  if (!writeRequest_.Valid() || !transferComplete_.Valid()) {
    driver_.ReportError(slot_, ErrorFromErrno(errno),
                        !writeRequest_.Valid() ? "CreateEvent(writ request event)"
                                               : "CreateEvent(transfer complete event)");
    return false;
  }
  TTYInfo* tty = slot_.tty.load();
  try {
    reader_ = std::thread(&OpenPort::ReaderMain, this);
  } catch (const std::system_error& e) {
    driver_.ReportError(slot_, ErrorFromErrno(e.code().value()), "CreateThread(Reader/Status)");
    return false;
  }
  try {
    writer_ = std::thread(&OpenPort::WriterMain, this);
  } catch (const std::system_error& e) {
    driver_.ReportError(slot_, ErrorFromErrno(e.code().value()), "CreateThread (Writer)");
    Stop();
    return false;
  }
  tty->readerThread = ThreadHandle(reader_);
  tty->writerThread = ThreadHandle(writer_);
  // The caller finds the modem status in its record when the open returns.
  WaitAny({&readerStarted_}, kReaderStartWait);
  return true;
}

void OpenPort::Stop() {
  EndTransfer();
  exit_.Set();
  if (reader_.joinable()) reader_.join();
  if (writer_.joinable()) writer_.join();
  if (TTYInfo* tty = slot_.tty.load()) {
    tty->readerThread = 0;
    tty->writerThread = 0;
  }
  port_->PurgeOutput();
  port_->PurgeInput();
  port_->Close();
}

bool OpenPort::CtsHeld() const {
  // A real device holds its output in the kernel while CTS is off; an emulated one here.
  if (!port_->Emulated()) return false;
  std::uint32_t status = 0;
  port_->ModemStatus(status);
  return (status & MS_CTS_ON) == 0;
}

void OpenPort::WriteBlock(const std::uint8_t* data, std::size_t length, Event* abort) {
  if (data == nullptr || length == 0) return;
  TTYInfo* tty = slot_.tty.load();
  const auto deadline = Clock::now() + WriteBound(length, tty ? tty->baudRate : 9600);
  std::size_t written = 0;
  std::uint32_t code = ERROR_SUCCESS;
  while (written < length) {
    const bool held = CtsHeld();
    if (!held) {
      ssize_t n = ::write(port_->Fd(), data + written, length - written);
      if (n > 0) {
        written += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        code = ErrorFromErrno(errno);
        break;
      }
    }
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      code = ERROR_TIMEOUT;
      break;
    }
    // While CTS is held the line is looked at again every 50 ms.
    const int waitMs = static_cast<int>(held ? std::min<long long>(left, 50) : left);
    pollfd fds[3] = {{held ? -1 : port_->Fd(), POLLOUT, 0},
                     {exit_.Fd(), POLLIN, 0},
                     {abort ? abort->Fd() : -1, POLLIN, 0}};
    if (PollRetry(fds, 3, waitMs) < 0) {
      code = ErrorFromErrno(errno);
      break;
    }
    if (fds[1].revents & POLLIN) return;  // the port is stopping: abandoned without a report
    if (fds[2].revents & POLLIN) {
      driver_.Warn(slot_, "Write aborted");
      code = ERROR_OPERATION_ABORTED;
      break;
    }
  }
  if (written < length) {
    if (tty && (LoadShared(tty->modemStatus) & MS_DSR_ON) == 0) code = ERROR_IO_INCOMPLETE;
    driver_.ReportError(slot_, code, "writing data to port");
  }
}

void OpenPort::StartTransfer(const std::uint8_t* data, std::size_t length) {
  EndTransfer();
  TTYInfo* tty = slot_.tty.load();
  stop_ = std::make_unique<Event>(Event::Reset::kManual);
  if (!stop_->Valid()) {
    driver_.ReportError(slot_, ErrorFromErrno(errno), "CreateEvent (Block Transfer)");
    stop_.reset();
    Driver::PostToCaller(*tty, platform::UM_BLOCK_SENT, tty->callerId, 0);
    return;
  }
  {
    std::lock_guard lock(requestMutex_);
    ++requestSeq_;
    request_ = Request::kPending;
    // A completion left by a write that outlived its transfer is not this transfer's.
    transferComplete_.TryTake();
    requestData_ = data;
    requestLength_ = length;
    requestAbort_ = stop_.get();
  }
  StoreShared(tty->transferRunning, 1u);
  try {
    transfer_ = std::thread(&OpenPort::TransferMain, this, stop_.get());
  } catch (const std::system_error& e) {
    {
      std::lock_guard lock(requestMutex_);
      request_ = Request::kNone;
    }
    stop_.reset();
    StoreShared(tty->transferRunning, 0u);
    driver_.ReportError(slot_, ErrorFromErrno(e.code().value()), "CreateThread (Block Transfer)");
    Driver::PostToCaller(*tty, platform::UM_BLOCK_SENT, tty->callerId, 0);
  }
}

void OpenPort::TransferMain(Event* stop) {
  writeRequest_.Set();
  const int which = WaitAny({&transferComplete_, stop, &exit_}, std::nullopt);
  if (which != 0) {
    // Ended early: the writer gives up on the same signal. The message goes out only once it
    // has stopped writing, and its completion is consumed here, not by the next transfer.
    std::unique_lock lock(requestMutex_);
    if (request_ == Request::kPending) {
      request_ = Request::kNone;
    } else {
      writerIdle_.wait_for(lock, kWriterStopWait, [this] { return request_ == Request::kNone; });
    }
    transferComplete_.TryTake();
  }
  TTYInfo* tty = slot_.tty.load();
  // Cleared before the post: the caller may start the next transfer as soon as it has it.
  StoreShared(tty->transferRunning, 0u);
  Driver::PostToCaller(*tty, platform::UM_BLOCK_SENT, tty->callerId, 0);
}

void OpenPort::EndTransfer() {
  if (!transfer_.joinable()) return;
  stop_->Set();
  transfer_.join();
  stop_.reset();
  if (TTYInfo* tty = slot_.tty.load()) StoreShared(tty->transferRunning, 0u);
}

void OpenPort::AbortTransfer() {
  port_->PurgeOutput();
  EndTransfer();
}

void OpenPort::WriterMain() {
  while (WaitAny({&writeRequest_, &exit_}, std::nullopt) == 0) {
    const std::uint8_t* data;
    std::size_t length;
    Event* abort;
    std::uint64_t seq;
    {
      std::lock_guard lock(requestMutex_);
      if (request_ != Request::kPending) continue;  // withdrawn before it was taken
      request_ = Request::kWriting;
      seq = requestSeq_;
      data = requestData_;
      length = requestLength_;
      abort = requestAbort_;
    }
    WriteBlock(data, length, abort);
    {
      // Signalled and marked idle in one step, so that the next transfer, which must take the
      // lock to start, never sees this completion or has its own request cleared.
      std::lock_guard lock(requestMutex_);
      if (seq == requestSeq_) {
        transferComplete_.Set();
        request_ = Request::kNone;
      }
    }
    writerIdle_.notify_all();
  }
}

void OpenPort::ReaderMain() {
  LineWatch watch(driver_, slot_, *port_);
  watch.CheckModem(true);
  watch.CheckLine(true);
  readerStarted_.Set();

  std::uint8_t buffer[kReadSize];
  for (;;) {
    pollfd fds[2] = {{port_->Fd(), POLLIN, 0}, {exit_.Fd(), POLLIN, 0}};
    const int rc = PollRetry(fds, 2, kStatusPeriodMs);
    if (rc < 0) {
      driver_.ReportError(slot_, ErrorFromErrno(errno),
                          "WaitForMultipleObjects(Reader & Status handles)");
      LineDown(ERROR_GEN_FAILURE);
      return;
    }
    if (fds[1].revents & POLLIN) return;
    if (rc == 0) {
      watch.CheckModem(false);
      watch.CheckLine(false);
      continue;
    }
    const ssize_t n = ::read(port_->Fd(), buffer, sizeof buffer);
    if (n > 0) {
      TTYInfo* tty = slot_.tty.load();
      StoreShared(tty->inReceive, 1u);
      HandleReceived(driver_, slot_, {buffer, static_cast<std::size_t>(n)});
      StoreShared(tty->inReceive, 0u);
      continue;
    }
    const bool hungUp = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR) && !hungUp) continue;
    // A hang-up (an unplugged adapter, a closed pseudo-terminal) ends this port, not the process.
    LineDown(n < 0 && errno != EAGAIN ? ErrorFromErrno(errno) : ERROR_DEVICE_NOT_CONNECTED);
    return;
  }
}

void OpenPort::LineDown(std::uint32_t code) {
  driver_.ReportError(slot_, code, "ReadFile in ReaderAndStatusProc");
  if (TTYInfo* tty = slot_.tty.load()) {
    StoreShared(tty->modemStatus, 0u);
    Driver::PostToCaller(*tty, platform::UM_MODEM_STATUS, tty->callerId, 0);
  }
  exit_.Set();
}

}  // namespace portlink
