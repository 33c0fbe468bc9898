// Networked machines' addresses as the program meets them: discovery's IPv4 address in one
// value, and the connection record of a machine at b1.b2.b3.b4.
#pragma once

#include <cstdint>
#include <cstring>

#include "pelsrvapi/pelservice_tlb.h"

// The address b1.b2.b3.b4 as one value in memory order, as discovery reports it.

inline std::uint32_t Address(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
  const std::uint8_t bytes[4] = {b1, b2, b3, b4};
  std::uint32_t address;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

// A networked machine's connection at b1.b2.b3.b4, `port` as the record holds it.
inline TConnInfo NetworkConn(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                             std::uint16_t port) {
  TConnInfo info{};
  info.tcpip = 1;
  info.b1 = b1;
  info.b2 = b2;
  info.b3 = b3;
  info.b4 = b4;
  info.port = port;
  return info;
}
