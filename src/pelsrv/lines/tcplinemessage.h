// The message through which a TCP/IP connection's reader thread tells the main thread that its
// line came up, could not be made, or was lost. It goes to the same target as the replies
// (UM_RX_COMMAND) and is private to the service.
#pragma once

#include <cstdint>

#include "platform/usermessages.h"

namespace pelsrv {

// wParam: the connection's cookie; lParam: EncodeTcpLine(generation, event).
inline constexpr std::uint32_t UM_TCP_LINE = platform::WM_USER + 20;

enum class TcpLineEvent : std::uint32_t {
  kConnectFailed = 0,
  kConnected = 1,
  kLost = 2,
};

// Each reader of a connection has its own generation, so that what an earlier reader posted
// before it was stopped is recognised and dropped.
struct TcpLineMessage {
  std::uint32_t generation;
  TcpLineEvent event;
};

inline std::intptr_t EncodeTcpLine(std::uint32_t generation, TcpLineEvent event) {
  return static_cast<std::intptr_t>((static_cast<std::uint64_t>(generation) << 2) |
                                    static_cast<std::uint32_t>(event));
}

inline TcpLineMessage DecodeTcpLine(std::intptr_t lParam) {
  const auto bits = static_cast<std::uint64_t>(lParam);
  return {static_cast<std::uint32_t>(bits >> 2), static_cast<TcpLineEvent>(bits & 3)};
}

}  // namespace pelsrv
