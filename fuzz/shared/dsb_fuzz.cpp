#include "foreignfuzz.h"
#include "shared/frmbaldan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzForeignReader<TStitchFormatBaldan>(data, size);
}
