// The rules of a trace frame's state reports: which error it shows, whether it may be shown,
// and what one report draws and asks for. Plain functions, so they are checked without a window.
#pragma once

#include <cstdint>

// The error a report shows: "Sewing data is not found in recent files" in place of none while
// the frame has no design to show.
std::int32_t TraceReportedError(bool designShown, std::int32_t error);

// Whether a frame asked to show (or hide) is shown: never with its design missing.
bool TraceFrameShown(bool show, std::int32_t error);

// What a shown frame does with a report of `state` at `position`, given `first`, the position
// of the report before (F).
struct TTraceStep {
  bool restart = false;      // the design is drawn anew, untraced, and traced from its start
  bool traceOn = false;      // the trace is drawn on from `first` to `position`
  bool sendButtons = false;  // the panel manager recomputes the machine's send buttons
};

// A hidden frame draws nothing. The trace goes on only for a position and a machine that
// exist; the send buttons follow a machine that went back to its start (a new run) or
// completed.
TTraceStep TraceStep(bool shown, bool machineListed, std::int32_t first, std::int32_t position,
                     std::uint8_t state);
