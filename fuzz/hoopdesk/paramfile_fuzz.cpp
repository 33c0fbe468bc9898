// The hand-over file as the running program reads it: any bytes give arguments that lie inside
// the data, never more than its lines, and the split of each stays inside its text. What a
// second start writes back when it adds to an unread file reads as the same arguments, and any
// arguments at all (the input cut at 0x00 bytes, which no argument holds) survive the file
// whole, line feeds and mark bytes included.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "hoopdesk/startup/argumentfile.h"
#include "hoopdesk/startup/paramfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto args = TParamFile::Decode(bytes);
  std::size_t total = 0;
  for (const auto& arg : args) {
    total += arg.size() + 1;
    const TArgumentFile split = SplitArgumentFile(arg, 16, nullptr);
    if (split.path.size() > arg.size() || split.machine < kNoMachine || split.machine >= 16)
      std::abort();
  }
  if (total > size) std::abort();
  if (TParamFile::Decode(TParamFile::Encode(args)) != args) std::abort();

  std::vector<std::string> parts(1);
  for (const std::uint8_t byte : bytes) {
    if (byte == 0)
      parts.emplace_back();
    else
      parts.back().push_back(static_cast<char>(byte));
  }
  parts.resize(std::min(parts.size(), TParamFile::kMaxArguments));
  if (TParamFile::Decode(TParamFile::Encode(parts)) != parts) std::abort();
  return 0;
}
