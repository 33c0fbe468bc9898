// The hand-over file as the running program reads it: any bytes give arguments that lie inside
// the data, never more than its lines, and the split of each stays inside its text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "hoopdesk/startup/argumentfile.h"
#include "hoopdesk/startup/paramfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto args = TParamFile::Decode(std::span<const std::uint8_t>(data, size));
  std::size_t total = 0;
  for (const auto& arg : args) {
    total += arg.size() + 1;
    const TArgumentFile split = SplitArgumentFile(arg, 16, nullptr);
    if (split.path.size() > arg.size() || split.machine < kNoMachine || split.machine >= 16)
      std::abort();
  }
  if (total > size) std::abort();
  return 0;
}
