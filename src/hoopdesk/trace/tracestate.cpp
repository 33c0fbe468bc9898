#include "hoopdesk/trace/tracestate.h"

#include "hoopdesk/machines/progresscodes.h"
#include "hoopdesk/trace/tracecounters.h"

std::int32_t TraceReportedError(bool designShown, std::int32_t error) {
  return !designShown && error == 0 ? kMsgSewingDataNotFound : error;
}

bool TraceFrameShown(bool show, std::int32_t error) {
  return show && error != kMsgSewingDataNotFound;
}

TTraceStep TraceStep(bool shown, bool machineListed, std::int32_t first, std::int32_t position,
                     std::uint8_t state) {
  TTraceStep step;
  if (!shown) return step;
  step.restart = first <= 0;
  step.traceOn = position >= 0 && machineListed;
  step.sendButtons = step.traceOn && ((first > 0 && position == 0) || state == kTraceCompleted);
  return step;
}
