// Machines that discovery found, merged into the panel manager's list: a new one is added as
// the next machine while there are fewer than 16, a known one that is offline is connected
// again. Owns the discovery socket the timer reads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "hoopdesk/slp/foundmachine.h"
#include "pelsrvapi/pelservice_tlb.h"

class TPanelManager;
namespace slp {
class TDiscoverySocket;
}

class TFoundMachines {
 public:
  static constexpr int kMaxMachines = 16;

  explicit TFoundMachines(TPanelManager& panels);
  ~TFoundMachines();

  // The connection parameters of a networked machine as discovery found it.
  static TConnInfo ConnInfo(const slp::TFoundMachine& entry);

  // True when the entry was added as a new machine.
  bool Merge(const slp::TFoundMachine& entry);
  // The machine with that port and address, or -1.
  int FindMachineByAddress(std::uint16_t port, std::uint32_t address) const;

  void SendServiceRequest();
  // Reads one waiting answer and merges it: nothing when none waited, else whether it added.
  std::optional<bool> ReceiveAndMerge();

 private:
  TPanelManager& panels_;
  std::unique_ptr<slp::TDiscoverySocket> discovery_;
};
