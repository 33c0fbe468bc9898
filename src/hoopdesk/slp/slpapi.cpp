#include "hoopdesk/slp/slpapi.h"

#include <string>

namespace slp {

namespace {

constexpr const char* kDefaultLanguage = "en";
constexpr const char* kDefaultScope = "DEFAULT";

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

}  // namespace

SLPError SLPOpen(const char* language, SLPBoolean isAsync, SLPHandle* handle) {
  if (handle == nullptr) return SLP_PARAMETER_BAD;
  handle->reset();
  if (isAsync) return SLP_NOT_IMPLEMENTED;
  auto session = std::make_unique<TSlpSession>(IsEmpty(language) ? kDefaultLanguage : language);
  if (session->Error() != 0) return SLP_NETWORK_INIT_FAILED;
  *handle = std::move(session);
  return SLP_OK;
}

SLPError SLPFindSrvs(const SLPHandle& handle, const char* serviceType, const char* scopeList,
                     const char* searchFilter, SLPSrvURLCallback callback, void* cookie) {
  if (!handle || IsEmpty(serviceType) || callback == nullptr) return SLP_PARAMETER_BAD;
  const auto result = handle->FindServices(
      serviceType, IsEmpty(scopeList) ? kDefaultScope : scopeList,
      searchFilter == nullptr ? "" : searchFilter, [&](const TUrlEntry& entry) {
        return callback(handle, entry.url.c_str(), entry.lifetime, SLP_OK, cookie);
      });
  switch (result) {
    case TSearchResult::kNetworkError:
      return SLP_NETWORK_ERROR;
    case TSearchResult::kTooLong:
      return SLP_BUFFER_OVERFLOW;
    case TSearchResult::kStopped:
      return SLP_OK;
    case TSearchResult::kDone:
      break;
  }
  callback(handle, nullptr, 0, SLP_LAST_CALL, cookie);
  return SLP_OK;
}

void SLPClose(SLPHandle& handle) { handle.reset(); }

}  // namespace slp
