// Reads arbitrary bytes as a ".10o" design, writes the result back and checks that every
// moving record of the written records sums back to its own position.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "shared/frmmarlow.h"
#include "shared/stitch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStitchItem design;
  TStitchFormatMarlow::ParseDesignFile(std::span(data, size), design, true);
  const auto records = TStitchFormatMarlow::EncodeRecords(design);
  if (records.size() != 3 * design.Points.size()) std::abort();
  if (design.Points.empty()) return 0;

  // Record 0 carries no move; every moving record after it sums back from there.
  std::int64_t x = design.Points[0].X;
  std::int64_t y = design.Points[0].Y;
  for (std::size_t i = 0; i < design.Points.size(); ++i) {
    const std::uint8_t control = records[3 * i];
    const std::int64_t dx = (control & 0x20) ? -records[3 * i + 2] : records[3 * i + 2];
    const std::int64_t dy = (control & 0x40) ? records[3 * i + 1] : -records[3 * i + 1];
    x += dx;
    y += dy;
    const auto& p = design.Points[i];
    if (IsMovingFunc(p.Func) && (x != p.X || y != p.Y)) std::abort();
  }
  TStitchFormatMarlow::BuildDesignFile(design);
  return 0;
}
