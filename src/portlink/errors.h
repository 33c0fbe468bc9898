#pragma once

#include <cstdint>

// The Windows error codes the driver reports in TTYInfo::lastError, UM_COMM_ERROR and its
// "DVR Error" log lines, mapped from errno, with the English texts the log shows for them.
namespace portlink {

inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_INVALID_FUNCTION = 1;
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr std::uint32_t ERROR_INVALID_DATA = 13;
inline constexpr std::uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_OPERATION_ABORTED = 995;
inline constexpr std::uint32_t ERROR_IO_INCOMPLETE = 996;
inline constexpr std::uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr std::uint32_t ERROR_TIMEOUT = 1460;

// The Windows code for an errno value; anything without a closer match is ERROR_GEN_FAILURE.
std::uint32_t ErrorFromErrno(int err);

// The system's English text for a code, or nullptr when there is none.
const char* ErrorText(std::uint32_t code);

}  // namespace portlink
