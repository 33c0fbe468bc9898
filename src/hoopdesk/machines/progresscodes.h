// The machine's last progress reply codes, as the server reports them with a machine's progress
// (IPelSrv::GetProgress, OnProgress) and as a trace frame is given them, and the message id of
// a lost connection.
#pragma once

#include <cstdint>

inline constexpr std::uint8_t kTraceSewing = 0x11;
inline constexpr std::uint8_t kTraceStopped = 0x12;  // shown as "Start" at stitch 0
inline constexpr std::uint8_t kTraceCompleted = 0x13;
inline constexpr std::uint8_t kTraceMachineError = 0x1E;
