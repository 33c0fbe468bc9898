// The message ids that PelService and the desktop program share: the server stores them as a
// machine's error and hands them out through IPelSrv, and both programs show their texts
// (ServiceMessageText). Every id either side uses is named here once.
#pragma once

#include <cstdint>

// The trace counters' state words.
inline constexpr std::int32_t kMsgStopped = 256;
inline constexpr std::int32_t kMsgRunning = 257;
inline constexpr std::int32_t kMsgCompleted = 258;
inline constexpr std::int32_t kMsgError = 259;
inline constexpr std::int32_t kMsgStart = 260;

inline constexpr std::int32_t kMsgReadFailed = 261;         // "Failed to read a file"
inline constexpr std::int32_t kMsgSaveFailed = 262;         // "Failed to save a file"
inline constexpr std::int32_t kMsgNoRecentDirectory = 263;  // the send folder cannot be made
inline constexpr std::int32_t kMsgMemoryFull = 265;
inline constexpr std::int32_t kMsgRequestRejected = 266;
inline constexpr std::int32_t kMsgSewingDataNotFound = 267;
inline constexpr std::int32_t kMsgNoResponse = 268;
inline constexpr std::int32_t kMsgMachinesActive = 269;  // "Machine(s) is/are active, ..."
inline constexpr std::int32_t kMsgSendQueueNotEmpty = 270;
inline constexpr std::int32_t kMsgPortSelection = 271;  // "Zero or too many ports ..."
inline constexpr std::int32_t kMsgDisconnected = 273;
inline constexpr std::int32_t kMsgConnectFailed = 274;
inline constexpr std::int32_t kMsgServiceNotRunning = 275;
inline constexpr std::int32_t kMsgTryLater = 276;
inline constexpr std::int32_t kMsgUnknown = 277;  // an unknown machine model
// + the machine's alarm code; code 0 ("No Response") is a machine that does not answer.
inline constexpr std::int32_t kMsgAlarmBase = 278;
inline constexpr std::int32_t kMsgAlarmNoResponse = kMsgAlarmBase;

// The range the message table covers.
inline constexpr std::int32_t kMsgFirst = kMsgStopped;
inline constexpr std::int32_t kMsgLast = 294;
