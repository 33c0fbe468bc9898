// The rules behind a trace frame's texts: the header, the counters under the picture and the
// run state in its status bar. Plain functions, so they are checked without a window.
#pragma once

#include <cstdint>
#include <string>

#include "hoopdesk/machines/progresscodes.h"
#include "pelsrvapi/messageids.h"

struct TTraceCounterTexts {
  std::string stitches;  // "C/total (percent%)"
  std::string speed;     // stitches per minute, at least four characters
  std::string needle;
  std::string minutes;  // remaining time
  std::string seconds;  // two digits
};

// The counters at stitch `current` of `total`, sewing `speed` stitches per minute. The percent
// and the remaining time are worked out in 64 bits, so no count overflows them; the percent
// stays within 0 to 100 and the time is never negative.
TTraceCounterTexts TraceCounterTexts(std::int32_t current, std::int32_t total, std::int32_t speed,
                                     std::int32_t needle);

// The server's speed, in tens of stitches per minute, in stitches per minute (kept within 32
// bits).
std::int32_t TraceSpeedPerMinute(std::int32_t speed);

// The header over the picture: "address: name[title]", name being the sewn file's name without
// its folder and extension.
std::string TraceHeaderText(const std::string& address, const std::string& fileName,
                            const std::string& title);

// The remaining machine memory, right-aligned in six characters.
std::string TraceMemoryText(std::int32_t memory);

// The message id of the run state for a progress code at a position; 0 for a code without one.
std::int32_t TraceStateTextId(std::uint8_t code, std::int32_t position);
