#include "hoopdesk/trace/tracecounters.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, static_cast<std::size_t>(std::clamp(n, 0, int{sizeof text} - 1)));
}

std::int32_t ClampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

TTraceCounterTexts TraceCounterTexts(std::int32_t current, std::int32_t total, std::int32_t speed,
                                     std::int32_t needle) {
  const std::int64_t perSecond = speed / 60;
  std::int64_t remaining = 0;
  if (perSecond > 0) remaining = (std::int64_t{total} - current + perSecond - 1) / perSecond;
  remaining = std::clamp<std::int64_t>(remaining, 0, std::numeric_limits<std::int32_t>::max());
  std::int64_t percent = 0;
  if (total > 0) percent = std::clamp<std::int64_t>(std::int64_t{current} * 100 / total, 0, 100);

  return {Format("%d/%d (%d%%)", current, total, ClampToInt32(percent)), Format("%4d", speed),
          Format("%d", needle), Format("%d", ClampToInt32(remaining / 60)),
          Format("%02d", ClampToInt32(remaining % 60))};
}

std::int32_t TraceSpeedPerMinute(std::int32_t speed) {
  return ClampToInt32(std::int64_t{speed} * 10);
}

std::string TraceHeaderText(const std::string& address, const std::string& fileName,
                            const std::string& title) {
  return address + ": " + std::filesystem::path(fileName).stem().string() + "[" + title + "]";
}

std::string TraceMemoryText(std::int32_t memory) { return Format("%6d", memory); }

std::int32_t TraceStateTextId(std::uint8_t code, std::int32_t position) {
  switch (code) {
    case kTraceSewing:
      return kMsgRunning;
    case kTraceStopped:
      return position != 0 ? kMsgStopped : kMsgStart;
    case kTraceCompleted:
      return kMsgCompleted;
    case kTraceMachineError:
      return kMsgError;
    default:
      return 0;
  }
}
