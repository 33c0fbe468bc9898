#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Message boxes and message-table texts without a GUI: the plain libraries report through
// these hooks, and each program installs what fits it (the desktop program a real box, the
// server its message table). Handlers are process-wide, meant to be installed at start-up;
// calls from any thread are safe.

enum class MessageBoxKind { Error, Warning };

// caption is empty for the error form (the program's default caption) and "Warning" otherwise.
using MessageBoxHandler =
    std::function<void(MessageBoxKind kind, const std::string& caption, const std::string& text)>;

// Installs the handler; an empty one restores the default, which writes "Error: text" or
// "Warning: text" on standard error.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows the text through the installed handler and returns when the handler returns (a modal
// box has been closed).
void ShowMessage(MessageBoxKind kind, std::string_view text);

// A notice: like a message box, but it does not wait for the operator; what it is about goes on
// meanwhile (a lost link that heals itself). A notice whose text still shows is not shown twice.
// Without a notice handler of its own the program's message box handler shows it.
void SetNoticeHandler(MessageBoxHandler handler);
void ShowNotice(MessageBoxKind kind, std::string_view text);
// Takes back a notice that no longer holds (the link it reported on healed): the notice of that
// text closes if it still shows. Without a handler nothing happens.
using NoticeWithdrawHandler = std::function<void(const std::string& text)>;
void SetNoticeWithdrawHandler(NoticeWithdrawHandler handler);
void WithdrawNotice(std::string_view text);

// The program's message table: id -> text, "" for an id it does not hold.
using MessageTextSource = std::function<std::string(std::int32_t id)>;

// Installs the table; an empty one restores the default, which holds no texts.
void SetMessageTextSource(MessageTextSource source);

std::string MessageText(std::int32_t id);

}  // namespace platform
