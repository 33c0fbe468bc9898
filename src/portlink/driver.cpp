#include "portlink/driver.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "portlink/errors.h"
#include "portlink/portthreads.h"

namespace portlink {

void Counters::Zero() {
  sent = 0;
  received = 0;
  commands = 0;
  warnings = 0;
}

Slot::Slot() = default;
Slot::~Slot() = default;

Driver::Driver() {
  for (int i = 0; i < kSlotCount; ++i) slots_[i].index = i;
  // Makes the message registry exist before the driver, so that it is destroyed after the
  // driver's own teardown has stopped every port thread.
  platform::Post(~platform::TargetId{0}, 0, 0, 0);
}

Driver::~Driver() {
  // Unloading the library ends every port and closes the log as closing a port does.
  for (auto& slot : slots_) slot.port.reset();
  log_.Close();
}

Driver& TheDriver() {
  static Driver driver;
  return driver;
}

Slot* Driver::At(int index) {
  if (index < 0 || index >= kSlotCount) return nullptr;
  return &slots_[index];
}

Slot* Driver::Bound(int index) {
  Slot* slot = At(index);
  return slot && slot->tty.load() ? slot : nullptr;
}

void DebugOutput(const char* text) {
  if (std::getenv("PELLORA_DEBUG_OUTPUT")) std::fprintf(stderr, "portlink: %s\n", text);
}

void ApplyDefaults(TTYInfo& tty) {
  StoreShared(tty.lastError, 0u);
  tty.readerThread = 0;
  tty.writerThread = 0;
  tty.block = nullptr;
  tty.blockLength = 0;
  StoreShared(tty.transferRunning, 0u);
  tty.reserved1024 = 1024;
  tty.reserved1 = 1;
  StoreShared(tty.lastReadCount, std::uint16_t{0});
  if (tty.baudRate == 0) tty.baudRate = 9600;
  tty.timeouts = COMMTIMEOUTS{1, 0, 0, 0, 0};
  StoreShared(tty.eventMask, kDefaultEventMask);
  StoreShared(tty.lastEvent, 0u);
  StoreShared(tty.modemStatus, 0u);
}

void Driver::PostToCaller(const TTYInfo& tty, std::uint32_t msg, std::uintptr_t wParam,
                          std::intptr_t lParam, std::span<const std::uint8_t> payload) {
  const platform::TargetId window = LoadShared(tty.window);
  if (window != 0) platform::Post(window, msg, wParam, lParam, payload);
}

void Driver::PostStatus(const TTYInfo& tty, std::uint32_t msg, std::uintptr_t wParam,
                        std::intptr_t lParam) {
  if (LoadShared(tty.statusPost) != 0) PostToCaller(tty, msg, wParam, lParam);
}

void Driver::ReportError(Slot& slot, std::uint32_t code, const char* context) {
  TTYInfo* tty = slot.tty.load();
  if (tty) {
    StoreShared(tty->lastError, code);
    StoreShared(tty->errorText, context);
  }
  DebugOutput(context);
  std::string report = "DVR Error: " + std::to_string(code) + "  " + context;
  if (tty) PostToCaller(*tty, platform::UM_COMM_ERROR, tty->callerId, code);
  if (const char* text = code != 0 ? ErrorText(code) : nullptr) {
    report += "\r\n        ";
    report += text;
  }
  constexpr std::size_t kMaxReport = 127;
  if (report.size() > kMaxReport) report.resize(kMaxReport);
  WriteLine(report.c_str(), slot.index, 0);
}

void Driver::Warn(Slot& slot, const char* text) {
  const std::uint32_t count = ++slot.counters.warnings;
  if (TTYInfo* tty = slot.tty.load()) {
    StoreShared(tty->errorText, text);
    PostStatus(*tty, platform::UM_COMM_WARNING, count, slot.index);
  }
}

bool Driver::WriteLine(const char* text, int index, std::int32_t level) {
  if (text == nullptr) return false;
  const Slot* slot = Bound(index);
  const TTYInfo* tty = slot ? slot->tty.load() : nullptr;
  const std::int32_t limit = tty ? tty->logLevel : 0;
  if (level > limit) return false;
  return log_.WriteLine(text, tty ? tty->comIndex + 1 : 0);
}

}  // namespace portlink
