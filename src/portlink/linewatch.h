#pragma once

#include <cstdint>

#include "portlink/driver.h"
#include "portlink/serialport.h"

// What one thread that checks a line has seen of it: the last modem status, line status and
// error flags; and the reports it makes when they change.
namespace portlink {

class LineWatch {
 public:
  LineWatch(Driver& driver, Slot& slot, SerialPort& port)
      : driver_(driver), slot_(slot), port_(port) {}

  // Reads the modem status; reports it when forced or changed (DTR then follows DSR).
  void CheckModem(bool forced);
  // Reads the line errors and queue counts; reports them when forced or changed.
  void CheckLine(bool forced);
  std::uint32_t LastModemStatus() const { return modem_; }

 private:
  void ReportModem(TTYInfo& tty, std::uint32_t status);
  void ReportEvents(TTYInfo& tty, std::uint32_t events);

  Driver& driver_;
  Slot& slot_;
  SerialPort& port_;
  std::uint32_t modem_ = 0;
  bool modemSeen_ = false;
  std::uint32_t errors_ = 0;
  COMSTAT stat_{};
};

}  // namespace portlink
