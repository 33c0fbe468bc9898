#include "portlink/ports.h"

#include <cstdio>
#include <memory>

#include "platform/datafolder.h"
#include "portlink/devicepath.h"
#include "portlink/errors.h"
#include "portlink/linewatch.h"
#include "portlink/portthreads.h"

namespace portlink {

namespace {

std::uint32_t ApplyLineSettings(SerialPort& port, TTYInfo& tty) {
  const std::uint32_t error = port.ApplySettings(tty.baudRate);
  StoreShared(tty.lastError, error);
  return error;
}

// Opens the slot's device; stores the error code in the TTYInfo when it cannot.
std::unique_ptr<SerialPort> OpenDevice(const Slot& slot, TTYInfo& tty) {
  if (slot.port) {
    // The slot's own open port holds the device (and its threads may report errors).
    StoreShared(tty.lastError, std::uint32_t{ERROR_ACCESS_DENIED});
    return nullptr;
  }
  tty.lastError = ERROR_SUCCESS;
  if (tty.comIndex > kMaxComIndex) {
    tty.lastError = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  auto port = std::make_unique<SerialPort>();
  if (std::uint32_t code = port->Open(DevicePath(tty.comIndex))) {
    tty.lastError = code;
    return nullptr;
  }
  return port;
}

void OpenLog(Driver& driver, const TTYInfo& tty) {
  if (tty.logFileName != nullptr && tty.logFileName[0] != '\0' && !driver.log().IsOpen())
    driver.log().Open(platform::DataPath(tty.logFileName));
}

}  // namespace

int ProbePort(Driver& driver, Slot& slot) {
  TTYInfo& tty = *slot.tty.load();
  std::unique_ptr<SerialPort> port = OpenDevice(slot, tty);
  if (!port) return 0;
  tty.portHandle = port->Fd() + 1;
  if (ApplyLineSettings(*port, tty) == ERROR_SUCCESS) {
    port->SetDtr(true);
    LineWatch watch(driver, slot, *port);
    watch.CheckModem(true);
    watch.CheckLine(true);
    port->SetDtr(false);
  }
  port->Close();
  tty.portHandle = 0;
  return tty.lastError == ERROR_SUCCESS ? 1 : 0;
}

int OpenSlotPort(Driver& driver, Slot& slot) {
  TTYInfo& tty = *slot.tty.load();
  std::unique_ptr<SerialPort> port = OpenDevice(slot, tty);
  if (!port) {
    if (!slot.port) tty.portHandle = 0;
    return 0;
  }
  tty.portHandle = port->Fd() + 1;
  tty.savedTimeouts = port->OriginalTimeouts();
  ApplyLineSettings(*port, tty);
  if (std::uint32_t code = port->SetDtr(true)) tty.lastError = code;
  const std::uint32_t settingsError = tty.lastError;
  // A command cut short by the last close must not prefix the first one of this opening.
  slot.assembler.Reset();
  auto open = std::make_unique<OpenPort>(driver, slot, std::move(port));
  if (!open->Start()) {
    open.reset();
    tty.portHandle = 0;
    return 0;
  }
  slot.port = std::move(open);
  tty.openFlag = 1;
  driver.WriteLine("open", slot.index, 1);
  // An error the reader's first status check reported counts as well.
  return settingsError == ERROR_SUCCESS && LoadShared(tty.lastError) == ERROR_SUCCESS ? 1 : 0;
}

int CloseSlotPort(Driver& driver, Slot& slot) {
  TTYInfo& tty = *slot.tty.load();
  const SYSInfo* sys = slot.sys.load();
  const bool modem = sys && sys->cmdInfo && LoadShared(sys->cmdInfo->machineType) == 0xFF;
  const std::uint32_t sent = slot.counters.sent, received = slot.counters.received;
  if (!modem && (sent != 0 || received != 0)) {
    char line[96];
    std::snprintf(line, sizeof line, "output %lu bytes. input %lu bytes.",
                  static_cast<unsigned long>(sent), static_cast<unsigned long>(received));
    driver.WriteLine(line, slot.index, 0);
    std::snprintf(line, sizeof line, "received command numbers %lu.",
                  static_cast<unsigned long>(slot.counters.commands.load()));
    driver.WriteLine(line, slot.index, 0);
  }
  driver.WriteLine("close", slot.index, 1);
  driver.log().Close();

  if (!slot.port) return 0;
  slot.port.reset();
  tty.portHandle = 0;
  tty.openFlag = 0;
  slot.assembler.Reset();
  return 1;
}

void BindSysInfo(Driver& driver, Slot& slot, SYSInfo* sys) {
  slot.sys = sys;
  TTYInfo* tty = sys ? sys->ttyInfo : nullptr;
  slot.tty = tty;
  if (tty == nullptr) return;
  ApplyDefaults(*tty);
  OpenLog(driver, *tty);
}

void BindTtyInfo(Driver& driver, Slot& slot, TTYInfo* tty) {
  if (tty == nullptr) return;
  slot.tty = tty;
  if (slot.port) ApplyLineSettings(slot.port->Port(), *tty);
  OpenLog(driver, *tty);
}

void ResetDriver(Driver& driver) {
  for (int i = 0; i < kSlotCount; ++i) {
    Slot& slot = *driver.At(i);
    slot.port.reset();
    slot.sys = nullptr;
    slot.tty = nullptr;
    slot.counters.Zero();
    slot.assembler.Reset();
  }
  driver.log().Forget();
}

}  // namespace portlink
