// The port scan: COM1 to COM16 probed in turn on one line, each port opened, asked whether a
// modem or a machine is there, and closed again before the next.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "hoopdesk/dialogs/scanline.h"

struct TPortRow {
  int comIndex = 0;  // 0 = COM1
  std::string model;
  bool dsr = false;
  bool checked = false;
};

struct TScanCallbacks {
  std::function<void(const TPortRow&)> row;  // a port to list
  std::function<void()> step;                // the progress bar advances
  TPump pump;                                // runs while the scan waits for answers
};

inline constexpr int kScanPorts = 16;

// Lists every port where a machine answered, and every silent port whose DSR is off (DSR on
// without an answer, and modems, are left out). The progress advances for each listed port
// and for each port that does not exist.
void ScanPorts(TScanLine& line, std::uint32_t baudRate, const TScanCallbacks& callbacks);
