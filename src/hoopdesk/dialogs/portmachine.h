// What the port scan lists for a machine that answered: its model from the machine type the
// probe left in the port's CMDInfo, the text the list shows and whether its row starts checked.
#pragma once

#include <cstdint>
#include <string>

#include "portlink/portlink.h"

struct TPortMachine {
  // 0 unknown type, 1 a modem, 2 RX510, 3 RX511, 4 TQV4000, 5 TQV4100LAN.
  std::int32_t model = 0;
  std::string text;
  bool checked = false;
  // A modem is not a machine: its port is not listed.
  bool Listed() const { return model != kModem; }

  static constexpr std::int32_t kModem = 1;
};

// "(%c%c.%c%c.%c%c)" of the high and low bytes of the words at CMDInfo bytes 8, 6 and 10. A byte
// that is not a printable character shows as '?', so a machine's reply cannot put control
// characters or a broken character into the list.
std::string VersionText(const portlink::CMDInfo& identity);

TPortMachine DescribeMachine(const portlink::CMDInfo& identity);
