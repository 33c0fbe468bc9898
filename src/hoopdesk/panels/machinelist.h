// The machine list: one record per connected machine in the order of the Connect calls, so
// that a machine's index is its device number and its position in the server's connection
// list. Lookups and edits only: nothing here calls the server, so a record found here stays
// valid until the caller's next call to the server, a dialog, or a change of the list.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "hoopdesk/machines/machineentry.h"
#include "hoopdesk/machines/machinerecord.h"

class TMachineList {
 public:
  int Count() const { return static_cast<int>(records_.size()); }
  // The record, or null for an index outside the list.
  TMachineRecord* Get(TDevNo d);
  const TMachineRecord* Get(TDevNo d) const;
  // The first machine holding the cookie, or -1.
  int FindByCookie(TCookie cookie) const;
  // The first machine reached at that port and address, or -1.
  int FindByAddress(const TMachineAddress& address) const;
  // Its port and address; nothing for an index outside the list.
  TMachineAddress Address(TDevNo d) const;

  // How many machines belong to the synchronised group; whether any may send now.
  int SyncGroupSize() const;
  bool AnyCanSend() const;
  // The cookies in list order.
  std::vector<TCookie> Cookies() const;

  void Append(TMachineRecord record) { records_.push_back(std::move(record)); }
  void Erase(TDevNo d);
  void Clear() { records_.clear(); }
  // Empties the list and hands its records over in order.
  std::vector<TMachineRecord> TakeAll() { return std::exchange(records_, {}); }

  auto begin() { return records_.begin(); }
  auto end() { return records_.end(); }

 private:
  std::vector<TMachineRecord> records_;
};
