#include "foreignfuzz.h"
#include "shared/frmtajima.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzForeignReader<TStitchFormatTajima>(data, size);
}
