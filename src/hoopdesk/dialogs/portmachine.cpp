#include "hoopdesk/dialogs/portmachine.h"

#include "pelsrvapi/messageids.h"
#include "platform/messages.h"

namespace {

char Shown(std::uint8_t byte) {
  return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
}

void AppendWord(std::string& text, std::uint16_t word) {
  text += Shown(static_cast<std::uint8_t>(word >> 8));
  text += Shown(static_cast<std::uint8_t>(word & 0xFF));
}

}  // namespace

std::string VersionText(const portlink::CMDInfo& identity) {
  std::string text = "(";
  AppendWord(text, identity.value7);
  text += '.';
  AppendWord(text, identity.value5);
  text += '.';
  AppendWord(text, identity.value9);
  return text + ')';
}

TPortMachine DescribeMachine(const portlink::CMDInfo& identity) {
  switch (identity.machineType) {
    case 0xFF:
      return {TPortMachine::kModem, "Modem", false};
    case 0x00:
      return {2, "RX510", false};
    case 0x01:
      return {3, "RX511", false};
    case 0x10:
      return {4, "TQV4000 " + VersionText(identity), true};
    case 0x20:
      return {5, "TQV4100LAN " + VersionText(identity), true};
    default:
      return {0, platform::MessageText(kMsgUnknown), false};
  }
}
