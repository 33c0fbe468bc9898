#include "sim/simshopfloor.h"

#include <algorithm>

void TShopFloorMachine::Look(sim::TSimMachine& machine) {
  if (machine.Alarmed()) {
    const auto now = std::chrono::steady_clock::now();
    if (!alarmSince_) alarmSince_ = now;
    if (now - *alarmSince_ < config_.alarmHold) return;
    alarmSince_.reset();
    machine.RecoverFromAlarm();
    return;
  }
  if (machine.Sewing() || !machine.TransferComplete()) return;
  // The frames count tells one transfer from the next.
  if (machine.FramesReceived() == framesAtStart_) return;
  framesAtStart_ = machine.FramesReceived();
  ++started_;
  const auto ticks = std::max<std::int64_t>(1, config_.sewTime / config_.sewTick);
  machine.SetSewStep(
      static_cast<std::uint32_t>(std::max<std::int64_t>(1, machine.HeldTotal() / ticks)));
  const bool alarm = config_.alarmEvery > 0 && started_ % config_.alarmEvery == 0;
  machine.SetPersona(alarm ? sim::Persona::kAlarm : sim::Persona::kNormal);
  machine.StartSewing();
}
