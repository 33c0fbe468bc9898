#include "hoopdesk/settings/settings.h"

#include "hoopdesk/settings/myregistry.h"

namespace {

const QString kCurrentDir = QStringLiteral("CurrentDir");
const QString kBaudRate = QStringLiteral("BaudRate");
const QString kRotSpeed = QStringLiteral("RotSpeed");
const QString kExpireDays = QStringLiteral("ExpireDays");
const QString kExpireFiles = QStringLiteral("ExpireFiles");
const QString kPanelWidth = QStringLiteral("PanelWidth");
const QString kSlpHeartBeat = QStringLiteral("SlpHeartBeat");

QString PortName(int slot) { return QStringLiteral("Port%1").arg(slot); }

// One "Wp" value: its name, its field, and its default when the value is missing from a store
// that exists. A store that does not exist gives kFirstRunPlacement instead.
struct TPlacementValue {
  const char* name;
  std::int32_t TWindowPlacement::*field;
  std::int32_t missing;
};

// In the order they are written.
constexpr TPlacementValue kPlacementValues[] = {
    {"WpFlags", &TWindowPlacement::flags, -1},   {"WpShowCmd", &TWindowPlacement::showCmd, 5},
    {"WpMinPtX", &TWindowPlacement::minX, 0},    {"WpMinPtY", &TWindowPlacement::minY, 0},
    {"WpMaxPtX", &TWindowPlacement::maxX, -1},   {"WpMaxPtY", &TWindowPlacement::maxY, -1},
    {"WpLeft", &TWindowPlacement::left, 0},      {"WpTop", &TWindowPlacement::top, 0},
    {"WpRight", &TWindowPlacement::right, 1022}, {"WpBottom", &TWindowPlacement::bottom, 752},
};

constexpr TWindowPlacement kFirstRunPlacement{.flags = 1,
                                              .showCmd = 5,
                                              .minX = -1,
                                              .minY = -1,
                                              .maxX = -1,
                                              .maxY = -1,
                                              .left = 0,
                                              .top = 0,
                                              .right = 1022,
                                              .bottom = 752};

}  // namespace

void LoadSettings(const QString& storePath, QString& designDir, TSettings& settings) {
  designDir.clear();
  settings = TSettings{};
  settings.BaudRate = kDefaultBaudRate;
  settings.RotSpeed = kDefaultRotSpeed;
  settings.ExpireDays = kDefaultExpireDays;
  settings.ExpireFiles = kDefaultExpireFiles;
  settings.Ports.fill(kNoPort);

  TMyRegistry reg(storePath);
  if (!reg.OpenKeyReadOnly()) {
    settings.PanelWidth = kDefaultPanelWidth;
    settings.Placement = kFirstRunPlacement;
    return;
  }
  for (int slot = 0; slot < kPanelSlots; ++slot)
    settings.Ports[slot] = reg.ReadIntegerDef(PortName(slot), kNoPort);
  designDir = reg.ReadStringDef(kCurrentDir, QString());
  settings.BaudRate = reg.ReadIntegerDef(kBaudRate, kDefaultBaudRate);
  settings.RotSpeed = reg.ReadIntegerDef(kRotSpeed, kDefaultRotSpeed);
  settings.ExpireDays = reg.ReadIntegerDef(kExpireDays, kDefaultExpireDays);
  settings.ExpireFiles = reg.ReadIntegerDef(kExpireFiles, kDefaultExpireFiles);
  settings.PanelWidth = reg.ReadIntegerDef(kPanelWidth, kDefaultPanelWidth);
  settings.SlpHeartBeat = reg.ReadIntegerDef(kSlpHeartBeat, 0);
  for (const TPlacementValue& v : kPlacementValues)
    settings.Placement.*v.field = reg.ReadIntegerDef(QLatin1String(v.name), v.missing);
  reg.CloseKey();
}

bool SaveSettings(const QString& storePath, const QString& designDir, TSettings& settings) {
  TMyRegistry reg(storePath);
  if (!reg.OpenKey()) return false;
  reg.WriteString(kCurrentDir, designDir);
  if (settings.PanelWidth == 0) settings.PanelWidth = kDefaultPanelWidth;
  reg.WriteInteger(kPanelWidth, settings.PanelWidth);
  for (const TPlacementValue& v : kPlacementValues)
    reg.WriteInteger(QLatin1String(v.name), settings.Placement.*v.field);
  if (settings.modified) {
    reg.WriteInteger(kBaudRate, settings.BaudRate);
    reg.WriteInteger(kRotSpeed, settings.RotSpeed);
    reg.WriteInteger(kExpireDays, settings.ExpireDays);
    reg.WriteInteger(kExpireFiles, settings.ExpireFiles);
    for (int slot = 0; slot < kPanelSlots; ++slot) {
      if (settings.Ports[slot] >= 0)
        reg.WriteInteger(PortName(slot), settings.Ports[slot]);
      else
        reg.DeleteValue(PortName(slot));
    }
    settings.modified = false;
  }
  return reg.CloseKey();
}
