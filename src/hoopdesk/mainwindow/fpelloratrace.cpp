// The panel manager's requests for the trace window's frames as the machine list and the
// panels change.
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/trace/ftrace.h"

void TFPellora::CreateTraceFrame(int devNo) { trace_->CreateTraceFrame(devNo); }
void TFPellora::UpdateTraceFrames(int first, int count) { trace_->UpdateTraceFrames(first, count); }
void TFPellora::ClearTraceStatus(int devNo) { trace_->ClearTraceError(devNo); }
