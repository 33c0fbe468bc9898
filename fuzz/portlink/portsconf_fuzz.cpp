// Looks up every COM index in an arbitrary ports.conf text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "portlink/devicepath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int index = 0; index <= 16; ++index) portlink::DevicePathFromConfig(text, index);
  return 0;
}
