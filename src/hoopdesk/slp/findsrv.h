// The full search for networked machines through the SLP library, run on demand (the rescan
// command, the port dialog). The main window's timer uses TDiscoverySocket instead.
#pragma once

#include <vector>

#include "hoopdesk/slp/foundmachine.h"
#include "hoopdesk/slp/slpapi.h"

namespace slp {

// Empties the list, fills it with every sewing machine that answers and sorts it. The list stays
// empty when the library cannot be opened; nothing is reported.
void FindMachinesBySlp(std::vector<TFoundMachine>& list);

// The URL callback of the search; the cookie is the list. Appends the machine a URL names;
// always asks for more.
SLPBoolean OnServiceUrl(const SLPHandle& handle, const char* srvUrl, unsigned short lifetime,
                        SLPError errCode, void* cookie);

}  // namespace slp
