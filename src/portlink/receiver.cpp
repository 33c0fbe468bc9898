#include "portlink/receiver.h"

#include <algorithm>

#include "platform/messagetarget.h"
#include "platform/usermessages.h"
#include "portlink/errors.h"

namespace portlink {

namespace {

void HandleRaw(TTYInfo& tty, std::span<const std::uint8_t> bytes) {
  CopyToReceiveBuffer(tty, bytes, true);
  // A message carries at most 32 bytes: a longer read goes out as consecutive messages.
  while (!bytes.empty()) {
    auto chunk = bytes.first(std::min(bytes.size(), platform::Message::kMaxPayload));
    Driver::PostToCaller(tty, platform::UM_RX_DATA, tty.callerId,
                         static_cast<std::intptr_t>(chunk.size()), chunk);
    bytes = bytes.subspan(chunk.size());
  }
}

void HandleCommands(Driver& driver, Slot& slot, TTYInfo& tty, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    auto result = slot.assembler.Offer(bytes);
    if (result.status == CommandAssembler::Status::kUndefined) {
      driver.ReportError(slot, ERROR_INVALID_DATA, "undefined Command.");
      return;
    }
    bytes = bytes.subspan(result.taken);
    if (result.status == CommandAssembler::Status::kIncomplete) return;

    auto command = slot.assembler.Command();
    const std::uint8_t code = command[0];
    if (code == 0x45 || code == 0x01) {
      // The identity is decoded at once, so that a probe sees it without the caller's help.
      if (SYSInfo* sys = slot.sys.load()) DecodeCommand(command, *sys, sys->cmdInfo, &tty);
    }
    if (code == 0x41) continue;  // the echo of the modem probe
    CopyToReceiveBuffer(tty, command, false);
    ++slot.counters.commands;
    Driver::PostToCaller(tty, platform::UM_RX_COMMAND, tty.callerId, 0, command);
  }
}

}  // namespace

void HandleReceived(Driver& driver, Slot& slot, std::span<const std::uint8_t> bytes) {
  TTYInfo* tty = slot.tty.load();
  if (tty == nullptr) return;
  slot.counters.received += static_cast<std::uint32_t>(bytes.size());
  StoreShared(tty->lastReadCount, static_cast<std::uint16_t>(bytes.size()));
  if (tty->rxMode != 1) {
    HandleRaw(*tty, bytes);
  } else if (LoadShared(tty->window) != 0) {
    HandleCommands(driver, slot, *tty, bytes);
  }
}

}  // namespace portlink
