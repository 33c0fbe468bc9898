#include "foreignfuzz.h"
#include "shared/frmzsk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzForeignReader<TStitchFormatZSK>(data, size);
}
