#include "hoopdesk/panels/earlyevents.h"

#include <algorithm>

void TEarlyEventHold::ConnectEnds(bool connected) {
  --connecting_;
  // A failed Connect made no connection: what came for its cookie names none.
  if (!connected && connecting_ == 0) held_.clear();
}

TEarlyEventHold::THeld* TEarlyEventHold::Find(TCookie cookie) {
  const auto it = std::find_if(held_.begin(), held_.end(),
                               [cookie](const THeld& held) { return held.cookie == cookie; });
  return it != held_.end() ? &*it : nullptr;
}

TEarlyEventHold::THeld* TEarlyEventHold::FindOrAdd(TCookie cookie) {
  if (!Connecting()) return nullptr;
  if (THeld* held = Find(cookie)) return held;
  if (held_.size() >= limit_) return nullptr;
  held_.push_back({cookie, {}});
  return &held_.back();
}

void TEarlyEventHold::HoldState(TCookie cookie, std::uint8_t state) {
  if (THeld* held = FindOrAdd(cookie)) held->events.state = state;
}

void TEarlyEventHold::HoldSync(TCookie cookie, TEarlySync sync) {
  if (THeld* held = FindOrAdd(cookie)) held->events.sync = sync;
}

void TEarlyEventHold::StateHandled(TCookie cookie) {
  if (THeld* held = Find(cookie)) held->events.state.reset();
  DropEmpty();
}

void TEarlyEventHold::SyncHandled(TCookie cookie) {
  if (THeld* held = Find(cookie)) held->events.sync.reset();
  DropEmpty();
}

TEarlyEvents TEarlyEventHold::Take(TCookie cookie) {
  if (Connecting()) return {};
  TEarlyEvents events;
  if (THeld* held = Find(cookie)) events = held->events;
  // The Connect calls have all returned: anything else held names no connection of ours.
  held_.clear();
  return events;
}

void TEarlyEventHold::DropEmpty() {
  std::erase_if(held_, [](const THeld& held) { return !held.events.state && !held.events.sync; });
}
