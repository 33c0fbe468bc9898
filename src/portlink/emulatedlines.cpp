#include "portlink/emulatedlines.h"

#include <map>
#include <mutex>

namespace portlink {

namespace {

struct Lines {
  std::optional<std::uint32_t> forced;
  EmulatedOutputs outputs;
};

class Table {
 public:
  template <typename F>
  auto With(const std::string& device, F f) {
    std::lock_guard lock(mutex_);
    return f(lines_[device]);
  }

 private:
  std::mutex mutex_;
  std::map<std::string, Lines> lines_;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

void SetEmulatedModemStatus(const std::string& device, std::optional<std::uint32_t> bits) {
  TheTable().With(device, [&](Lines& l) { l.forced = bits; });
}

std::optional<std::uint32_t> ForcedModemStatus(const std::string& device) {
  return TheTable().With(device, [](Lines& l) { return l.forced; });
}

void SetEmulatedOutputs(const std::string& device, EmulatedOutputs outputs) {
  TheTable().With(device, [&](Lines& l) { l.outputs = outputs; });
}

EmulatedOutputs GetEmulatedOutputs(const std::string& device) {
  return TheTable().With(device, [](Lines& l) { return l.outputs; });
}

}  // namespace portlink
