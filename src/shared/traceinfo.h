#pragma once

#include <cstdint>

// The trace record of one design on one machine: how TStitchItem::TracePaint draws it and
// the machine's sewing progress. TracePaint reads only Mode, FirstPos, CurStitch and
// ShowDesign; the rest belongs to the progress reporting.
struct TTraceInfo {
  std::uint8_t Mode =
      0;  // 0 all in grey after record 0, 1 the trace from FirstPos, 2 all in colour
  std::int32_t Total = 0;      // stitches in the design (nMax)
  std::int32_t FirstPos = 0;   // first record drawn by mode 1
  std::int32_t CurStitch = 0;  // the stitch the machine has reached (nPos); mode 1's trace position
  std::int32_t Rotation = 0;   // machine speed; its low 16 bits are nRot
  std::int32_t Needle = 0;     // current needle; its low 8 bits are nNeedleNo
  std::int32_t Error = 0;      // message id of the error at the last progress reply (nError)
  std::int32_t Remain = 0;     // remaining machine memory (nRemain)
  std::uint8_t FrameState = 0;  // last state code given to a trace frame of the desktop program
  std::uint8_t LastCode = 0;    // code of the last progress reply (state)
  std::uint8_t ShowDesign = 0;  // non-zero: a design is loaded and drawn; zero: background only
};
