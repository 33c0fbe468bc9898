#pragma once

#include "portlink/driver.h"

// Probing, opening and closing the port of a bound slot, and binding records to slots.
namespace portlink {

int ProbePort(Driver& driver, Slot& slot);
int OpenSlotPort(Driver& driver, Slot& slot);
int CloseSlotPort(Driver& driver, Slot& slot);

// Binds the records (sys may name no TTYInfo; then the slot stays unusable).
void BindSysInfo(Driver& driver, Slot& slot, SYSInfo* sys);
void BindTtyInfo(Driver& driver, Slot& slot, TTYInfo* tty);
// Forgets every slot (closing any port still open) and the log.
void ResetDriver(Driver& driver);

}  // namespace portlink
