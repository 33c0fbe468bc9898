#include "shared/util.h"

#include "platform/lasterror.h"
#include "platform/messages.h"

std::string GetLastErrorText(std::int32_t messageId, std::string_view detail) {
  if (messageId == -1) return std::string(detail);
  std::string text = messageId == 0 ? platform::SystemErrorText(platform::GetLastError())
                                    : platform::MessageText(messageId);
  if (!detail.empty()) {
    text += ": ";
    text += detail;
  }
  return text;
}

void ShowMessageBox(bool error, std::int32_t messageId, std::string_view detail) {
  platform::ShowMessage(error ? platform::MessageBoxKind::Error : platform::MessageBoxKind::Warning,
                        GetLastErrorText(messageId, detail));
}
