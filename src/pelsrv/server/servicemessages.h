// The server's message table: the texts of message ids 256 to 294 that IPelSrv::ErrMessage
// hands out and the log uses.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::int32_t kMsgFirst = 256;
inline constexpr std::int32_t kMsgLast = 294;
inline constexpr std::int32_t kMsgNoRecentDirectory = 263;
inline constexpr std::int32_t kMsgTryLater = 276;

// The English text of id; "" for an id the table does not hold.
std::string ServiceMessageText(std::int32_t id);
