// Text that comes from a machine: made valid UTF-8 before it crosses the interface, and
// checked before it is used as a file name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The bytes up to the first NUL as UTF-8: valid sequences are kept, every other byte becomes
// U+FFFD.
std::string MachineTextToUtf8(std::span<const std::uint8_t> bytes);

// Whether a design name from a machine may be joined to the send folder: not empty, not "."
// or "..", no path separator, no control character, no "..".
bool IsSafeDesignName(std::string_view name);
