#include "hoopdesk/panels/machinelist.h"

#include <algorithm>

TMachineRecord* TMachineList::Get(TDevNo d) {
  return d >= 0 && d < Count() ? &records_[static_cast<std::size_t>(d)] : nullptr;
}

const TMachineRecord* TMachineList::Get(TDevNo d) const {
  return d >= 0 && d < Count() ? &records_[static_cast<std::size_t>(d)] : nullptr;
}

int TMachineList::FindByCookie(TCookie cookie) const {
  for (int i = 0; i < Count(); ++i)
    if (records_[static_cast<std::size_t>(i)].cookie == cookie) return i;
  return -1;
}

int TMachineList::FindByAddress(const TMachineAddress& address) const {
  for (int i = 0; i < Count(); ++i)
    if (MachineAddressOf(records_[static_cast<std::size_t>(i)].connInfo) == address) return i;
  return -1;
}

TMachineAddress TMachineList::Address(TDevNo d) const {
  const TMachineRecord* record = Get(d);
  return record ? MachineAddressOf(record->connInfo) : TMachineAddress{};
}

int TMachineList::SyncGroupSize() const {
  return static_cast<int>(std::count_if(records_.begin(), records_.end(),
                                        [](const TMachineRecord& r) { return r.inSyncGroup; }));
}

bool TMachineList::AnyCanSend() const {
  return std::any_of(records_.begin(), records_.end(),
                     [](const TMachineRecord& r) { return r.canSend; });
}

std::vector<TCookie> TMachineList::Cookies() const {
  std::vector<TCookie> cookies;
  for (const TMachineRecord& record : records_) cookies.push_back(record.cookie);
  return cookies;
}

void TMachineList::Erase(TDevNo d) {
  if (Get(d)) records_.erase(records_.begin() + d);
}
