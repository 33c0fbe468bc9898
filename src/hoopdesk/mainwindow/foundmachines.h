// Machines that discovery found, merged into the panel manager's list: a new one is added as
// the next machine while the list is not full, a known one that is offline is connected again.
// Owns the discovery socket the timer reads.
#pragma once

#include <memory>
#include <optional>

#include "hoopdesk/machines/machineentry.h"
#include "hoopdesk/slp/foundmachine.h"

class TPanelManager;
namespace slp {
class TDiscoverySocket;
}

// A machine as discovery found it, as the panel manager connects it.
TMachineEntry FoundMachineEntry(const slp::TFoundMachine& found);

class TFoundMachines {
 public:
  explicit TFoundMachines(TPanelManager& panels);
  ~TFoundMachines();

  // True when the entry was added as a new machine.
  bool Merge(const slp::TFoundMachine& entry);

  void SendServiceRequest();
  // Reads one waiting answer and merges it: nothing when none waited, else whether it added.
  std::optional<bool> ReceiveAndMerge();

 private:
  TPanelManager& panels_;
  std::unique_ptr<slp::TDiscoverySocket> discovery_;
};
