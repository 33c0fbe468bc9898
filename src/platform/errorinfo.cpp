#include "platform/errorinfo.h"

#include <utility>

namespace platform {

namespace {
thread_local std::optional<ErrorInfo> t_errorInfo;
}  // namespace

void SetErrorInfo(std::optional<ErrorInfo> info) { t_errorInfo = std::move(info); }

std::optional<ErrorInfo> TakeErrorInfo() { return std::exchange(t_errorInfo, std::nullopt); }

}  // namespace platform
