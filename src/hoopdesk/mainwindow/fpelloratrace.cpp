// The panel manager's requests for a machine's trace frame, handed to the trace window.
#include "hoopdesk/mainwindow/fpellora.h"
#include "hoopdesk/trace/ftrace.h"

bool TFPellora::CreateTraceFrame(int devNo) { return trace_->CreateTraceFrame(devNo); }
int TFPellora::FindTraceFrame(int devNo) const { return trace_->FindTraceFrame(devNo); }
void TFPellora::UpdateTraceFrames(int first, int count) { trace_->UpdateTraceFrames(first, count); }
void TFPellora::ShowTraceFrame(int devNo, bool show) { trace_->ShowTraceFrame(devNo, show); }
std::int32_t TFPellora::LoadTraceDesign(int devNo, const std::string& fileName) {
  return trace_->LoadTraceDesign(devNo, fileName);
}
std::int32_t TFPellora::TraceDesignTotal(int devNo, const std::string& fileName) {
  return trace_->TraceDesignTotal(devNo, fileName);
}
void TFPellora::SetTraceState(int devNo, std::uint8_t state, std::int32_t position,
                              std::int32_t error) {
  trace_->SetTraceState(devNo, state, position, error);
}
void TFPellora::SetTraceProgress(int devNo, std::uint8_t state, std::int32_t position,
                                 std::int32_t error, std::int32_t speed, std::int32_t needle,
                                 std::int32_t total) {
  trace_->SetTraceProgress(devNo, state, position, error, speed, needle, total);
}
void TFPellora::CompleteTrace(int devNo, bool normal, std::int32_t needle) {
  trace_->CompleteTrace(devNo, normal, needle);
}
void TFPellora::SetTraceMemory(int devNo, std::int32_t memory) {
  trace_->SetTraceMemory(devNo, memory);
}
void TFPellora::ClearTraceError(int devNo) { trace_->ClearTraceError(devNo); }
