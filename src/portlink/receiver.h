#pragma once

#include <cstdint>
#include <span>

#include "portlink/driver.h"

namespace portlink {

// Handles the bytes of one read on the port's reader thread: raw mode posts them as they are,
// command mode cuts them into commands and posts each one by value.
void HandleReceived(Driver& driver, Slot& slot, std::span<const std::uint8_t> bytes);

}  // namespace portlink
