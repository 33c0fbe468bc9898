#include "pelsrv/protocol/synccommand.h"

#include "pelsrv/protocol/transferframe.h"

TSyncCommand MakeCommand(std::uint8_t code) {
  TSyncCommand command;
  command.bytes[0] = code;
  command.length = 1;
  return command;
}

TSyncCommand MakeCommand(std::uint8_t code, std::uint8_t value) {
  TSyncCommand command = MakeCommand(code);
  command.bytes[1] = value;
  command.length = 2;
  return command;
}

TSyncCommand MakeCommand(std::uint8_t code, std::uint8_t value, std::uint16_t word1,
                         std::uint16_t word2, std::int32_t speed) {
  TSyncCommand command = MakeCommand(code, value);
  command.bytes[2] = static_cast<std::uint8_t>(speed / 10);
  PutU16(command.bytes, 4, word1);
  PutU16(command.bytes, 6, word2);
  command.length = 8;
  return command;
}

TSyncCommand MakeTransferEnd(std::uint16_t transferWord) {
  TSyncCommand command = MakeCommand(kCmdTransferEnd, 0);
  PutU16(command.bytes, 2, transferWord);
  command.length = 4;
  return command;
}

TSyncCommand MakeModemProbe() {
  TSyncCommand command = MakeCommand(kCmdModemProbe, 0x54);
  command.bytes[2] = 0x0D;
  command.length = 3;
  return command;
}
