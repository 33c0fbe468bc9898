#include "hoopdesk/machines/eventrules.h"

#include <algorithm>

#include "pelsrvapi/pelservice_tlb.h"

std::int32_t SewingPercent(std::int32_t nPos, std::int32_t nMax) {
  if (nMax <= 0) return 0;
  const std::int64_t percent = std::clamp<std::int64_t>(
      static_cast<std::int64_t>(nPos) * 100 / static_cast<std::int64_t>(nMax), 0, 100);
  return percent == 100 ? 0 : static_cast<std::int32_t>(percent);
}

TSendStopEffect SendStopEffect(std::int32_t resState) {
  switch (resState) {
    case RES_STATE_NORMAL:
      return TSendStopEffect::RemoveHead;
    case RES_STATE_CANCELED:
      return TSendStopEffect::ClearAlarm;
    case RES_STATE_ERROR:
    case RES_STATE_BUSY:
      return TSendStopEffect::Alarm;
    default:
      return TSendStopEffect::None;
  }
}

bool IsPlainSendName(std::string_view name) {
  constexpr std::size_t kMaxName = 255;
  if (name.empty() || name.size() > kMaxName || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || c == '/' || c == '\\';
  });
}

TBlinkStep NextBlinkStep(std::int32_t alarmMode, std::int32_t alarmTicks) {
  constexpr std::int32_t kSelfClearingSteps = 10;
  if (alarmMode == 0 || alarmTicks == -1) return TBlinkStep::None;
  if (alarmTicks > kSelfClearingSteps && alarmMode == 2) return TBlinkStep::ClearItself;
  return TBlinkStep::Blink;
}
