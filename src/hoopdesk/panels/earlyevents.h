// Machine events that come for a connection before the program knows it: the server reports a
// new connection's state and synchronised group during the Connect call that makes it, before
// the call has returned its cookie. They are held while a Connect runs and handed on once the
// machine's record exists; one that a newer event of the same kind has overtaken is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pelsrvapi/pelservice_tlb.h"

struct TEarlySync {
  std::int32_t mode = 0;
  bool inGroup = false;
};

// What was held for one connection.
struct TEarlyEvents {
  std::optional<std::uint8_t> state;
  std::optional<TEarlySync> sync;
};

class TEarlyEventHold {
 public:
  // At most this many connections are held (the machine list's limit).
  explicit TEarlyEventHold(std::size_t limit) : limit_(limit) {}

  // A Connect call begins or ends; nothing is held while none runs.
  void ConnectBegins() { ++connecting_; }
  void ConnectEnds(bool connected);
  bool Connecting() const { return connecting_ > 0; }

  // The latest of each kind is kept.
  void HoldState(TCookie cookie, std::uint8_t state);
  void HoldSync(TCookie cookie, TEarlySync sync);
  // An event of that kind for the cookie was handled: a held one is older.
  void StateHandled(TCookie cookie);
  void SyncHandled(TCookie cookie);
  // What is held for the cookie, taken out; nothing while another Connect still runs (its
  // events may be the cookie's too).
  TEarlyEvents Take(TCookie cookie);
  void Clear() { held_.clear(); }

 private:
  struct THeld {
    TCookie cookie;
    TEarlyEvents events;
  };
  THeld* Find(TCookie cookie);
  THeld* FindOrAdd(TCookie cookie);
  void DropEmpty();

  std::size_t limit_;
  int connecting_ = 0;
  std::vector<THeld> held_;
};
