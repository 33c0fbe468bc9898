#include "platform/messages.h"

#include <iostream>
#include <mutex>
#include <utility>

namespace platform {

namespace {

struct Hooks {
  std::mutex mutex;
  MessageBoxHandler box;
  MessageBoxHandler notice;
  NoticeWithdrawHandler withdraw;
  MessageTextSource texts;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

void WriteToStderr(MessageBoxKind kind, const std::string&, const std::string& text) {
  std::cerr << (kind == MessageBoxKind::Error ? "Error: " : "Warning: ") << text << std::endl;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().box = std::move(handler);
}

namespace {

void Show(MessageBoxHandler Hooks::*which, MessageBoxKind kind, std::string_view text) {
  MessageBoxHandler handler;
  {
    std::lock_guard lock(TheHooks().mutex);
    handler = TheHooks().*which;
    if (!handler) handler = TheHooks().box;
  }
  // Called outside the lock: a modal box runs an event loop that may report again.
  const std::string caption = kind == MessageBoxKind::Warning ? "Warning" : "";
  if (handler)
    handler(kind, caption, std::string(text));
  else
    WriteToStderr(kind, caption, std::string(text));
}

}  // namespace

void ShowMessage(MessageBoxKind kind, std::string_view text) { Show(&Hooks::box, kind, text); }

void SetNoticeHandler(MessageBoxHandler handler) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().notice = std::move(handler);
}

void ShowNotice(MessageBoxKind kind, std::string_view text) { Show(&Hooks::notice, kind, text); }

void SetNoticeWithdrawHandler(NoticeWithdrawHandler handler) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().withdraw = std::move(handler);
}

void WithdrawNotice(std::string_view text) {
  NoticeWithdrawHandler handler;
  {
    std::lock_guard lock(TheHooks().mutex);
    handler = TheHooks().withdraw;
  }
  if (handler) handler(std::string(text));
}

void SetMessageTextSource(MessageTextSource source) {
  std::lock_guard lock(TheHooks().mutex);
  TheHooks().texts = std::move(source);
}

std::string MessageText(std::int32_t id) {
  MessageTextSource source;
  {
    std::lock_guard lock(TheHooks().mutex);
    source = TheHooks().texts;
  }
  return source ? source(id) : std::string();
}

}  // namespace platform
