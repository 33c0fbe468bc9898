#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Error texts and the program's error box.

// id -1: the detail alone. id 0: the system's text of the calling thread's last error
// (platform/lasterror.h). Other ids: the program's message-table text
// (platform::MessageText). A non-empty detail follows after ": ".
std::string GetLastErrorText(std::int32_t messageId, std::string_view detail);

// Shows GetLastErrorText(messageId, detail) through the installed message-box handler
// (platform/messages.h): the error form when `error` is set, else the warning form with the
// caption "Warning". Returns when the box has been closed.
void ShowMessageBox(bool error, std::int32_t messageId, std::string_view detail);
