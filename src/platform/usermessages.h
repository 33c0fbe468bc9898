#pragma once

#include <cstdint>

// Numbers of the messages the serial line driver posts to its caller's target, and that the
// machine server's own TCP/IP reader posts to the same target. Every message is posted, never
// sent; see portlink/portlink.h for what each one carries.
namespace platform {

inline constexpr std::uint32_t WM_USER = 0x0400;

inline constexpr std::uint32_t UM_RX_DATA = WM_USER + 1;
inline constexpr std::uint32_t UM_RX_COMMAND = WM_USER + 2;
inline constexpr std::uint32_t UM_COMM_EVENT = WM_USER + 3;
inline constexpr std::uint32_t UM_MODEM_STATUS = WM_USER + 4;
inline constexpr std::uint32_t UM_LINE_STATUS = WM_USER + 5;
inline constexpr std::uint32_t UM_BLOCK_SENT = WM_USER + 6;
inline constexpr std::uint32_t UM_COMM_WARNING = WM_USER + 7;
inline constexpr std::uint32_t UM_COMM_ERROR = WM_USER + 8;

}  // namespace platform
