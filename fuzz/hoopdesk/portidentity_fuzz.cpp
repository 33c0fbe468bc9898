// A machine's answer to the port scan's identity request, decoded by Portlink and listed by
// the scan: any bytes give a model text of printable characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hoopdesk/dialogs/portmachine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A received command is at most 24 bytes; Portlink's ring entry holds 32.
  std::uint8_t command[32] = {};
  if (size == 0 || size > 24) return 0;
  for (std::size_t i = 0; i < size; ++i) command[i] = data[i];
  static portlink::CMDInfo cmd{};
  static portlink::TTYInfo tty{};
  static portlink::SYSInfo sys{};
  cmd = {};
  tty = {};
  sys = {};
  sys.cmdInfo = &cmd;
  sys.ttyInfo = &tty;
  DLLInitialize(&sys);
  AnalizeCmd(command, 0);
  const TPortMachine machine = DescribeMachine(cmd);
  for (char c : machine.text)
    if (c < 0x20 || c > 0x7E) std::abort();
  return 0;
}
