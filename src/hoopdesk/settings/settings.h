// The desktop program's settings record, loaded once when the main window is made and saved once
// when it is destroyed, and the names, types and defaults of every value in the store.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "hoopdesk/machines/machinelimits.h"

// The main window's placement, laid out as the stored "Wp" values name it.
struct TWindowPlacement {
  std::int32_t length = 44;
  std::int32_t flags = 0;
  std::int32_t showCmd = 0;
  std::int32_t minX = 0;
  std::int32_t minY = 0;
  std::int32_t maxX = 0;
  std::int32_t maxY = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const TWindowPlacement&, const TWindowPlacement&) = default;
};

inline constexpr std::int32_t kNoPort = -1;

inline constexpr std::int32_t kDefaultBaudRate = 9600;
inline constexpr std::int32_t kDefaultRotSpeed = 500;
inline constexpr std::int32_t kDefaultExpireDays = 3;
inline constexpr std::int32_t kDefaultExpireFiles = 30;
inline constexpr std::int32_t kDefaultPanelWidth = 315;

struct TSettings {
  // Set by whoever changes one of BaudRate..Ports; only then are those saved.
  bool modified = false;
  std::int32_t BaudRate = 0;
  std::int32_t RotSpeed = 0;
  std::int32_t ExpireDays = 0;
  std::int32_t ExpireFiles = 0;
  // The 0-based serial port of each panel slot, kNoPort for an empty slot.
  std::array<std::int32_t, kPanelSlots> Ports{};
  std::int32_t PanelWidth = 0;
  // Read and kept; nothing depends on it.
  std::int32_t SlpHeartBeat = 0;
  TWindowPlacement Placement;

  friend bool operator==(const TSettings&, const TSettings&) = default;
};

// Reads the store at storePath. A missing or unreadable store gives the defaults of a first run;
// a missing or wrongly typed value gives its own default.
void LoadSettings(const QString& storePath, QString& designDir, TSettings& settings);

// Writes the design folder, the panel width (0 becomes 315) and the placement; the speed, the
// expiry limits and the ports only when the record is modified, an empty slot removing its
// "Port" value; then clears the modified flag. False when the store could not be written: the
// changes of the run are lost, which the program accepts.
bool SaveSettings(const QString& storePath, const QString& designDir, TSettings& settings);
