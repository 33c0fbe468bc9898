// What the machine information dialog shows and does, without the dialog: the connection texts
// of a machine and the reconnection, which waits (bounded) for the outcome the server reports.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "hoopdesk/machines/machineinfoinput.h"
#include "pelsrvapi/pelservice_tlb.h"

// "TCP/IP" or "Serial".
std::string ConnectionTypeText(const TConnInfo& info);
// "a.b.c.d:port" (port from network byte order) or "<baud> baud".
std::string ConnectionAddressText(const TConnInfo& info);
// The states in which a reconnected machine is usable.
bool IsUsableState(std::uint8_t state);

// Connects the machine again and waits up to `limit` for the server to report it usable,
// asking every `step`. True when it is; cookie receives what Connect gave (0 on failure).
bool ReconnectMachineAndWait(IPelSrv& service, const TMachineInfoInput& machine, TCookie* cookie,
                             std::chrono::milliseconds limit, std::chrono::milliseconds step);
