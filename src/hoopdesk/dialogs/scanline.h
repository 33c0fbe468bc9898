// The serial line as the port scan uses it: one port at a time, probed, opened, written to and
// listened on, then closed. TPortlinkLine drives it through Portlink; tests may wrap it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "portlink/portlink.h"

// Runs the program's pending work (repaints, input) while the scan waits.
using TPump = std::function<void()>;

class TScanLine {
 public:
  virtual ~TScanLine() = default;

  // Sets the line up for a scan at this baud rate.
  virtual void Begin(std::uint32_t baudRate) = 0;
  // The port exists and takes the line settings; what the probe saw of its DSR is kept.
  virtual bool Find(int comIndex) = 0;
  // Opens the port found last; false when it could not be opened with its settings.
  virtual bool Open() = 0;
  // DSR of the port as the probe found it.
  virtual bool Dsr() const = 0;
  // Writes the bytes to the open port.
  virtual void Send(std::span<const std::uint8_t> bytes) = 0;
  // Waits up to 20 times 100 ms for a command from the open port, running `pump` meanwhile;
  // true as soon as one came. Commands of ports closed before are never counted.
  virtual bool WaitForReply(const TPump& pump) = 0;
  // A modem answered the open port.
  virtual bool ModemAnswered() const = 0;
  // Closes the port (also one that opened without its settings).
  virtual void Close() = 0;
  // The identity the closed port's machine reported.
  virtual portlink::CMDInfo Identity() const = 0;
};
