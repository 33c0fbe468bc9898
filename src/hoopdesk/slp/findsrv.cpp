#include "hoopdesk/slp/findsrv.h"

#include <string>
#include <utility>

#include "hoopdesk/slp/slpmessage.h"

namespace slp {

void FindMachinesBySlp(std::vector<TFoundMachine>& list) {
  list.clear();
  SLPHandle handle;
  if (SLPOpen(nullptr, SLP_FALSE, &handle) != SLP_OK) return;
  const std::string serviceType(kSewingMachineType);
  SLPFindSrvs(handle, serviceType.c_str(), nullptr, nullptr, OnServiceUrl, &list);
  SLPClose(handle);
  SortFoundMachines(list);
}

SLPBoolean OnServiceUrl(const SLPHandle& /*handle*/, const char* srvUrl,
                        unsigned short /*lifetime*/, SLPError errCode, void* cookie) {
  if (errCode == SLP_OK && srvUrl != nullptr && cookie != nullptr) {
    TFoundMachine entry;
    if (ParseServiceUrl(srvUrl, entry)) {
      static_cast<std::vector<TFoundMachine>*>(cookie)->push_back(std::move(entry));
    }
  }
  return SLP_TRUE;
}

}  // namespace slp
