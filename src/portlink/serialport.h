#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <cstdint>
#include <string>

#include "portlink/portlink.h"

// One open serial device: exclusive open, the line settings in raw mode, modem lines (real or
// emulated), line status and purges. Every call returns a Windows error code (0 = success).
namespace portlink {

// The line settings applied over what a device had: raw, 8 data bits, odd parity, two stop
// bits, CTS output flow control, no XON/XOFF (0x11 and 0x13 are reply codes).
termios LineSettings(termios base);

class SerialPort {
 public:
  SerialPort() = default;
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the device for reading and writing, non-blocking, held against a second opener.
  std::uint32_t Open(const std::string& path);
  // Restores the settings found at opening, drops DTR and RTS, and closes.
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  bool Emulated() const { return emulated_; }

  // 8 data bits, odd parity, two stop bits, CTS flow control, no XON/XOFF, no echo or mapping.
  std::uint32_t ApplySettings(std::uint32_t baudRate);
  // The time-outs the device had at opening (only its inter-byte read gap has a counterpart).
  COMMTIMEOUTS OriginalTimeouts() const;

  std::uint32_t ModemStatus(std::uint32_t& bits) const;
  std::uint32_t SetDtr(bool on);
  std::uint32_t SetRts(bool on);
  // Line error flags (CE_*) since the last call, and the queue counts.
  std::uint32_t LineStatus(std::uint32_t& errors, COMSTAT& stat);
  void PurgeOutput();
  void PurgeInput();

 private:
  std::uint32_t SetLine(int bit, bool on);

  int fd_ = -1;
  std::string path_;
  bool emulated_ = false;
  bool haveOriginal_ = false;
  termios original_{};
  serial_icounter_struct counts_{};
  bool haveCounts_ = false;
};

}  // namespace portlink
