// The calls of an SLP user agent library (the API of RFC 2614), over our own SLPv2 messages.
// Only what machine discovery needs: synchronous handles and the service search.
#pragma once

#include <memory>

#include "hoopdesk/slp/slpsession.h"

namespace slp {

enum SLPError : int {
  SLP_LAST_CALL = 1,
  SLP_OK = 0,
  SLP_NOT_IMPLEMENTED = -17,
  SLP_BUFFER_OVERFLOW = -18,
  SLP_NETWORK_INIT_FAILED = -20,
  SLP_PARAMETER_BAD = -22,
  SLP_NETWORK_ERROR = -23,
};

using SLPBoolean = bool;
inline constexpr SLPBoolean SLP_TRUE = true;
inline constexpr SLPBoolean SLP_FALSE = false;

// An open handle owns its session; SLPClose (or the handle going away) frees it.
using SLPHandle = std::unique_ptr<TSlpSession>;

// Called once for each URL found (errCode SLP_OK) while it answers SLP_TRUE, then once more with
// SLP_LAST_CALL and no URL. The cookie is the one given to SLPFindSrvs.
using SLPSrvURLCallback = SLPBoolean (*)(const SLPHandle& handle, const char* srvUrl,
                                         unsigned short lifetime, SLPError errCode, void* cookie);

// Opens a handle for requests in `language` (null or empty: "en"). Asynchronous handles are not
// supported (SLP_NOT_IMPLEMENTED); SLP_NETWORK_INIT_FAILED when no socket could be set up.
SLPError SLPOpen(const char* language, SLPBoolean isAsync, SLPHandle* handle);

// Searches for services of `serviceType` in `scopeList` (null or empty: "DEFAULT") that match
// `searchFilter` (null: all) and reports each URL to the callback. SLP_BUFFER_OVERFLOW when the
// request does not fit in one datagram.
SLPError SLPFindSrvs(const SLPHandle& handle, const char* serviceType, const char* scopeList,
                     const char* searchFilter, SLPSrvURLCallback callback, void* cookie);

void SLPClose(SLPHandle& handle);

}  // namespace slp
