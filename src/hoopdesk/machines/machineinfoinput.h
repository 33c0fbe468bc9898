// The machine the machine information dialog is about, copied from its record: the dialog runs
// modally while events and the poll may change the machine list, so it keeps no reference to
// the record.
#pragma once

#include <string>

#include "pelsrvapi/pelservice_tlb.h"

struct TMachineInfoInput {
  TDevNo devNo = 0;
  TCookie cookie = 0;
  TConnInfo connInfo{};
  std::string hostName;
  std::string address;
};
