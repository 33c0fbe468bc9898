// The twelve functions the library exports, each a thin door into the driver.

#include "portlink/driver.h"
#include "portlink/framing.h"
#include "portlink/portlink.h"
#include "portlink/ports.h"
#include "portlink/portthreads.h"

using namespace portlink;

namespace {

Slot* BoundSlot(std::uint16_t slot) { return TheDriver().Bound(slot); }

// The slot of a send when its port is open, with the block counted as sent.
Slot* SendingSlot(std::uint16_t slot) {
  Slot* s = BoundSlot(slot);
  if (!s) return nullptr;
  TTYInfo& tty = *s->tty.load();
  StoreShared(tty.lastError, 0u);
  if (!s->port) return nullptr;
  s->counters.sent += tty.blockLength;
  return s;
}

}  // namespace

PORTLINK_API void DLLInitialize(SYSInfo* sysInfo) {
  Driver& driver = TheDriver();
  ResetDriver(driver);
  Slot& first = *driver.At(0);
  first.sys = sysInfo;
  if (sysInfo && sysInfo->ttyInfo) {
    first.tty = sysInfo->ttyInfo;
    ApplyDefaults(*sysInfo->ttyInfo);
  }
}

PORTLINK_API void SetupSYSInfo(std::uint16_t slot, SYSInfo* sysInfo) {
  if (Slot* s = TheDriver().At(slot); s && sysInfo) BindSysInfo(TheDriver(), *s, sysInfo);
}

PORTLINK_API void SetupTTYInfo(std::uint16_t slot, TTYInfo* ttyInfo) {
  if (Slot* s = TheDriver().At(slot)) BindTtyInfo(TheDriver(), *s, ttyInfo);
}

PORTLINK_API int FindCommPort(std::uint16_t slot) {
  Slot* s = BoundSlot(slot);
  return s ? ProbePort(TheDriver(), *s) : 0;
}

PORTLINK_API int OpenCommPort(std::uint16_t slot) {
  Slot* s = BoundSlot(slot);
  return s ? OpenSlotPort(TheDriver(), *s) : 0;
}

PORTLINK_API int CloseCommPort(std::uint16_t slot) {
  Slot* s = BoundSlot(slot);
  return s ? CloseSlotPort(TheDriver(), *s) : 0;
}

PORTLINK_API int SendBlockSync(std::uint16_t slot) {
  Slot* s = SendingSlot(slot);
  if (!s) return 0;
  const TTYInfo& tty = *s->tty.load();
  s->port->WriteBlock(tty.block, tty.blockLength, nullptr);
  return 1;
}

PORTLINK_API int SendBlockAsync(std::uint16_t slot) {
  Slot* s = SendingSlot(slot);
  if (!s) return 0;
  const TTYInfo& tty = *s->tty.load();
  s->port->StartTransfer(tty.block, tty.blockLength);
  return 1;
}

PORTLINK_API void AbortSendBlock(std::uint16_t slot) {
  if (Slot* s = BoundSlot(slot); s && s->port) s->port->AbortTransfer();
}

PORTLINK_API void TransferBlockEnd(std::uint16_t slot) {
  if (Slot* s = BoundSlot(slot); s && s->port) s->port->EndTransfer();
}

PORTLINK_API int WriteLogMessage(const char* text, std::int16_t port, std::int32_t level) {
  return TheDriver().WriteLine(text, port, level) ? 1 : 0;
}

PORTLINK_API void AnalizeCmd(const std::uint8_t* command, std::int32_t slot) {
  Slot* s = command ? TheDriver().At(slot) : nullptr;
  SYSInfo* sys = s ? s->sys.load() : nullptr;
  if (sys == nullptr) return;
  const std::size_t length = CommandLength(command[0]);
  DecodeCommand({command, length ? length : 1}, *sys, sys->cmdInfo, s->tty.load());
}
