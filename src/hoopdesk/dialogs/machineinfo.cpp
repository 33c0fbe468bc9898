#include "hoopdesk/dialogs/machineinfo.h"

#include <arpa/inet.h>

#include <cstdio>
#include <thread>

std::string ConnectionTypeText(const TConnInfo& info) {
  return info.tcpip != 0 ? "TCP/IP" : "Serial";
}

std::string ConnectionAddressText(const TConnInfo& info) {
  char text[64];
  if (info.tcpip != 0)
    std::snprintf(text, sizeof text, "%d.%d.%d.%d:%d", info.b1, info.b2, info.b3, info.b4,
                  ntohs(info.port));
  else
    std::snprintf(text, sizeof text, "%d baud", info.baudRate);
  return text;
}

bool IsUsableState(std::uint8_t state) {
  return state == SEW_IDLE || state == SEW_COMPLETED || state == SEW_PAUSED;
}

bool ReconnectMachineAndWait(IPelSrv& service, const TMachineInfoInput& machine, TCookie* cookie,
                             std::chrono::milliseconds limit, std::chrono::milliseconds step) {
  *cookie = 0;
  if (service.Connect(machine.devNo, machine.hostName, machine.connInfo, cookie) != S_OK)
    return false;
  // A network connect takes longer than a fixed short wait: ask until the server reports the
  // machine usable, or the time is up.
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    std::string address;
    std::uint8_t state = SEW_OFFLINE;
    std::int32_t error = 0;
    if (SUCCEEDED(service.GetMachineState(*cookie, &address, &state, &error)) &&
        IsUsableState(state))
      return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(step);
  }
}
