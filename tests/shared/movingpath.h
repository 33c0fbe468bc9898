#pragma once

#include <span>
#include <utility>
#include <vector>

#include "shared/frmmarlow.h"
#include "shared/stitch.h"

// Where the frame goes when a design is sewn, before and after its native encoding.
namespace foreigntest {

// The path the frame takes: positions of the moving records relative to the anchor, with
// repeats of one position collapsed (a reader may drop a jump that does not move).
inline std::vector<std::pair<int, int>> MovingPath(std::span<const TEmbPoint> points,
                                                   TPoint anchor) {
  std::vector<std::pair<int, int>> out;
  for (const TEmbPoint& p : points) {
    if (!IsMovingFunc(p.Func)) continue;
    const std::pair<int, int> at{p.X - anchor.x, p.Y - anchor.y};
    if (out.empty() || out.back() != at) out.push_back(at);
  }
  return out;
}

// The path relative to the design's first record, the one its native records start from.
inline std::vector<std::pair<int, int>> MovingPath(const TStitchItem& design) {
  if (design.Points.empty()) return {};
  return MovingPath(design.Points, {design.Points.front().X, design.Points.front().Y});
}

// The same path after the design went through its native records (a written file or the
// blocks sent to a machine) and was read back. The file starts at (0, 0) with a start record
// in the place of the design's first record.
inline std::vector<std::pair<int, int>> MovingPathThroughNativeFile(const TStitchItem& design) {
  TStitchItem back;
  TStitchFormatMarlow::ParseDesignFile(TStitchFormatMarlow::BuildDesignFile(design), back, true);
  return MovingPath(back.Points, {0, 0});
}

}  // namespace foreigntest
