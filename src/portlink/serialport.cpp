#include "portlink/serialport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "portlink/emulatedlines.h"
#include "portlink/errors.h"

namespace portlink {

namespace {

struct BaudEntry {
  std::uint32_t rate;
  speed_t code;
};

constexpr BaudEntry kBauds[] = {
    {300, B300},     {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

std::uint32_t LastError() { return ErrorFromErrno(errno); }

}  // namespace

SerialPort::~SerialPort() { Close(); }

std::uint32_t SerialPort::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LastError();
  if (!isatty(fd)) {
    ::close(fd);
    return ERROR_FILE_NOT_FOUND;
  }
  // flock holds against every other opener, root included; TIOCEXCL against plain open().
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return ERROR_ACCESS_DENIED;
  }
  ioctl(fd, TIOCEXCL);
  fd_ = fd;
  path_ = path;
  haveOriginal_ = tcgetattr(fd, &original_) == 0;
  int status;
  emulated_ = ioctl(fd, TIOCMGET, &status) != 0;
  haveCounts_ = ioctl(fd, TIOCGICOUNT, &counts_) == 0;
  return ERROR_SUCCESS;
}

void SerialPort::Close() {
  if (fd_ < 0) return;
  SetDtr(false);
  SetRts(false);
  if (haveOriginal_) tcsetattr(fd_, TCSANOW, &original_);
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
}

termios LineSettings(termios tio) {
  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | PARENB | PARODD | CSTOPB | CRTSCTS | CREAD | CLOCAL;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | PARMRK | ISTRIP);
  tio.c_iflag |= INPCK;
  tio.c_cc[VSTART] = 0x11;
  tio.c_cc[VSTOP] = 0x13;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  return tio;
}

std::uint32_t SerialPort::ApplySettings(std::uint32_t baudRate) {
  std::uint32_t error = ERROR_SUCCESS;
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) error = LastError();
  tio = LineSettings(tio);
  const BaudEntry* baud = nullptr;
  for (const auto& b : kBauds)
    if (b.rate == baudRate) baud = &b;
  if (baud == nullptr) {
    error = ERROR_INVALID_PARAMETER;
  } else if (cfsetispeed(&tio, baud->code) != 0 || cfsetospeed(&tio, baud->code) != 0) {
    error = LastError();
  }
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) error = LastError();
  return error;
}

COMMTIMEOUTS SerialPort::OriginalTimeouts() const {
  COMMTIMEOUTS t{};
  if (haveOriginal_) t.readIntervalTimeout = original_.c_cc[VTIME] * 100u;
  return t;
}

std::uint32_t SerialPort::ModemStatus(std::uint32_t& bits) const {
  bits = 0;
  if (fd_ < 0) return ERROR_INVALID_HANDLE;
  if (emulated_) {
    if (auto forced = ForcedModemStatus(path_)) {
      bits = *forced;
      return ERROR_SUCCESS;
    }
    pollfd p{fd_, 0, 0};
    const bool otherSideOpen = poll(&p, 1, 0) == 0;
    bits = otherSideOpen ? MS_CTS_ON | MS_DSR_ON : 0;
    return ERROR_SUCCESS;
  }
  int status = 0;
  if (ioctl(fd_, TIOCMGET, &status) != 0) return LastError();
  if (status & TIOCM_CTS) bits |= MS_CTS_ON;
  if (status & TIOCM_DSR) bits |= MS_DSR_ON;
  if (status & TIOCM_RNG) bits |= MS_RING_ON;
  if (status & TIOCM_CD) bits |= MS_RLSD_ON;
  return ERROR_SUCCESS;
}

std::uint32_t SerialPort::SetLine(int bit, bool on) {
  if (fd_ < 0) return ERROR_INVALID_HANDLE;
  if (emulated_) {
    EmulatedOutputs out = GetEmulatedOutputs(path_);
    (bit == TIOCM_DTR ? out.dtr : out.rts) = on;
    SetEmulatedOutputs(path_, out);
    return ERROR_SUCCESS;
  }
  if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) != 0) return LastError();
  return ERROR_SUCCESS;
}

std::uint32_t SerialPort::SetDtr(bool on) { return SetLine(TIOCM_DTR, on); }

std::uint32_t SerialPort::SetRts(bool on) { return SetLine(TIOCM_RTS, on); }

std::uint32_t SerialPort::LineStatus(std::uint32_t& errors, COMSTAT& stat) {
  errors = 0;
  stat = {};
  if (fd_ < 0) return ERROR_INVALID_HANDLE;
  int in = 0, out = 0;
  if (ioctl(fd_, TIOCINQ, &in) != 0) return LastError();
  if (ioctl(fd_, TIOCOUTQ, &out) == 0 && out > 0) stat.cbOutQue = static_cast<std::uint32_t>(out);
  stat.cbInQue = in > 0 ? static_cast<std::uint32_t>(in) : 0;
  serial_icounter_struct now{};
  if (haveCounts_ && ioctl(fd_, TIOCGICOUNT, &now) == 0) {
    if (now.frame != counts_.frame) errors |= CE_FRAME;
    if (now.overrun != counts_.overrun) errors |= CE_OVERRUN;
    if (now.parity != counts_.parity) errors |= CE_RXPARITY;
    if (now.brk != counts_.brk) errors |= CE_BREAK;
    if (now.buf_overrun != counts_.buf_overrun) errors |= CE_RXOVER;
    counts_ = now;
  }
  return ERROR_SUCCESS;
}

void SerialPort::PurgeOutput() {
  if (fd_ >= 0) tcflush(fd_, TCOFLUSH);
}

void SerialPort::PurgeInput() {
  if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

}  // namespace portlink
