#include "servicefixture.h"

#include <stdlib.h>

#include <algorithm>

namespace pelsrv_test {

bool Has(const sim::TEventLog& events, const std::string& line) {
  const auto& all = events.Events();
  return std::find(all.begin(), all.end(), line) != all.end();
}

TempDataFolder::TempDataFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pellora-conn-XXXXXX").string();
  path_ = ::mkdtemp(pattern.data());
  ::setenv("PELLORA_HOME", path_.c_str(), 1);
}

TempDataFolder::~TempDataFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

TPelMainOptions ServiceHarness::ShortTimeouts() {
  TPelMainOptions options;
  options.tcpTimeouts.silence_ms = 600;
  options.tcpTimeouts.connect_ms = 2000;
  options.tcpTimeouts.send_ms = 2000;
  return options;
}

TPelMainOptions ServiceHarness::ShortTransferTimeout(std::chrono::milliseconds limit) {
  TPelMainOptions options = ShortTimeouts();
  options.transferTimeout = limit;
  return options;
}

ServiceHarness::ServiceHarness(TPelMainOptions options) {
  main = std::make_unique<TPelMain>(registration.Id(), options);
  dispatch = std::make_unique<TPelDispatch>(*main);
}

ServiceHarness::~ServiceHarness() {
  main.reset();  // joins the readers before the target goes
  registration.Reset();
}

TCookie ServiceHarness::Connect(TDevNo devNo, const TConnInfo& info, const std::string& host) {
  return main->Connect(devNo, host, info, &events);
}

bool ServiceHarness::PumpUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (auto m = queue->Wait(std::min(left, std::chrono::milliseconds(50)))) dispatch->Dispatch(*m);
  }
  return true;
}

void ServiceHarness::PumpFor(std::chrono::milliseconds period) {
  PumpUntil([] { return false; }, period);
}

}  // namespace pelsrv_test
