// What the simulated shop's machines do with a design, as a shop's machines would: each sews what
// it receives, in a few seconds, reporting its progress and its completion; one of them stops
// with an alarm now and then, until the operator has cleared it and sends again. The rule is
// kept apart from the shop's program so that tests drive it step by step.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "sim/simmachine.h"

struct TShopFloorConfig {
  std::chrono::milliseconds sewTime{5000};  // one design, start to end
  std::chrono::milliseconds sewTick{100};   // the line's sewing step
  // Every this many designs the machine stops with an alarm half way (0: never)...
  int alarmEvery = 0;
  // ...and its operator clears it this long after.
  std::chrono::milliseconds alarmHold{8000};
};

class TShopFloorMachine {
 public:
  explicit TShopFloorMachine(TShopFloorConfig config) : config_(config) {}

  // One look at the machine, on its line's thread: a design received whole since the last
  // look starts sewing, at a pace that ends it in the configured time; an alarm that has been
  // up for its hold is cleared.
  void Look(sim::TSimMachine& machine);
  int DesignsSewn() const { return started_; }

 private:
  TShopFloorConfig config_;
  std::int32_t framesAtStart_ = -1;
  std::optional<std::chrono::steady_clock::time_point> alarmSince_;
  int started_ = 0;
};
