// Reads arbitrary bytes as a ".00o" control file for a design with 0 to 255 colour blocks.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "shared/frmmarlow.h"
#include "shared/stitch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStitchItem design;
  design.Colors.resize(size > 0 ? data[0] : 0);
  const int n = TStitchFormatMarlow::ParseCtrlFile(std::span(data, size), design);
  if (n < 0 || n > design.GetColorCount() || design.Title.size() > 96) std::abort();
  for (const auto& c : design.Colors) {
    if (c.Name.size() > 31) std::abort();
  }
  TStitchFormatMarlow::BuildCtrlFile(design, nullptr);
  return 0;
}
