#include "hoopdesk/dialogs/machineinfo.h"

#include <arpa/inet.h>

#include <cstdio>

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

TReconnectWait::TOutcome TReconnectWait::Start(IPelSrv& service, const TMachineInfoInput& machine,
                                               std::chrono::milliseconds limit,
                                               Clock::time_point now) {
  cookie_ = 0;
  if (service.Connect(machine.devNo, machine.hostName, machine.connInfo, &cookie_) != S_OK)
    return TOutcome::Failed;
  // A network connect takes longer than a fixed short wait: the owner asks until the server
  // reports the machine usable, or the time is up.
  end_ = now + limit;
  return TOutcome::Waiting;
}

TReconnectWait::TOutcome TReconnectWait::Poll(IPelSrv& service, Clock::time_point now) const {
  std::string address;
  std::uint8_t state = SEW_OFFLINE;
  std::int32_t error = 0;
  if (SUCCEEDED(service.GetMachineState(cookie_, &address, &state, &error)) && IsUsableState(state))
    return TOutcome::Usable;
  return now >= end_ ? TOutcome::Failed : TOutcome::Waiting;
}
