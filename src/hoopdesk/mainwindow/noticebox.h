// The program's notices: message boxes that do not wait. The window goes on while one shows;
// a notice whose text already shows is not shown a second time.
#pragma once

#include <string>

#include "platform/messages.h"

// The notice handler of the program (platform::SetNoticeHandler).
void ShowNoticeBox(platform::MessageBoxKind kind, const std::string& caption,
                   const std::string& text);
// Closes the notice of that text when it still shows (platform::SetNoticeWithdrawHandler).
void CloseNoticeBox(const std::string& text);
