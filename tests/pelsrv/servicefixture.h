// The service's main thread in a test: a queue target in place of the hidden window, the
// connection manager, the dispatcher, and a recording event sink. Pump() plays the message loop.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pelsrv/lines/peldispatch.h"
#include "pelsrv/lines/pelmain.h"
#include "platform/messagetarget.h"
#include "sim/eventlog.h"

namespace pelsrv_test {

// True when `line` (e.g. "StatusChange(1,2)") is among the events so far.
bool Has(const sim::TEventLog& events, const std::string& line);

// Sets PELLORA_HOME to a fresh folder for the test and removes it afterwards.
class TempDataFolder {
 public:
  TempDataFolder();
  ~TempDataFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class ServiceHarness {
 public:
  explicit ServiceHarness(TPelMainOptions options = ShortTimeouts());
  ~ServiceHarness();

  static TPelMainOptions ShortTimeouts();
  // The short line time-outs, and transfers that wait `limit` for a block request.
  static TPelMainOptions ShortTransferTimeout(std::chrono::milliseconds limit);

  TCookie Connect(TDevNo devNo, const TConnInfo& info, const std::string& host = "machine");
  // Dispatches posted messages until `done` holds or `timeout` passes; returns `done()`.
  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Dispatches whatever arrives during `period`.
  void PumpFor(std::chrono::milliseconds period);

  TempDataFolder data;
  sim::TEventLog events;
  std::shared_ptr<platform::QueueTarget> queue = std::make_shared<platform::QueueTarget>();
  platform::TargetRegistration registration{queue};
  std::unique_ptr<TPelMain> main;
  std::unique_ptr<TPelDispatch> dispatch;
};

}  // namespace pelsrv_test
