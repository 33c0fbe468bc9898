// The settings store is a text file anyone can edit: whatever it holds, loading gives a record,
// the checks make every value safe to use, and what is saved loads back the same.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hoopdesk/settings/settingchecks.h"
#include "hoopdesk/settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  const QString input = dir.filePath("input.ini");
  const QString output = dir.filePath("output.ini");
  {
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  QFile::remove(output);

  QString designDir;
  TSettings loaded;
  LoadSettings(input, designDir, loaded);

  const TWindowPlacement placed =
      ClampPlacement(loaded.Placement, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
  if (placed.right <= placed.left || placed.bottom <= placed.top) std::abort();
  if (!IsLineSpeed(CheckedBaudRate(loaded.BaudRate))) std::abort();
  if (CheckedExpireDays(loaded.ExpireDays) < 0 || CheckedExpireFiles(loaded.ExpireFiles) < 0)
    std::abort();

  TSettings saved = loaded;
  saved.modified = true;
  if (!SaveSettings(output, designDir, saved)) std::abort();
  QString reloadedDir;
  TSettings reloaded;
  LoadSettings(output, reloadedDir, reloaded);
  saved.SlpHeartBeat = reloaded.SlpHeartBeat;  // never written
  for (std::int32_t& port : saved.Ports)
    if (port < 0) port = kNoPort;  // an empty slot is saved as no value
  if (reloadedDir != designDir) std::abort();
  if (saved.PanelWidth != reloaded.PanelWidth || saved.Placement != reloaded.Placement ||
      saved.Ports != reloaded.Ports || saved.BaudRate != reloaded.BaudRate ||
      saved.RotSpeed != reloaded.RotSpeed || saved.ExpireDays != reloaded.ExpireDays ||
      saved.ExpireFiles != reloaded.ExpireFiles)
    std::abort();
  return 0;
}
