// Loads arbitrary bytes as a design's stream form; a form that loads whole must survive
// a second trip through Save and Load unchanged: the design loaded again is the design
// loaded once, and it saves to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/memstream.h"
#include "shared/stitch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::MemStream in(std::vector<std::uint8_t>(data, data + size));
  TStitchItem design;
  if (!design.Load(&in)) return 0;
  auto out = design.Save();
  if (!out) std::abort();
  TStitchItem again;
  if (!again.Load(out.get())) std::abort();
  if (again.Points != design.Points || again.Colors != design.Colors ||
      again.FileName != design.FileName || again.Title != design.Title)
    std::abort();
  auto twice = again.Save();
  if (!twice || twice->Bytes() != out->Bytes()) std::abort();
  return 0;
}
