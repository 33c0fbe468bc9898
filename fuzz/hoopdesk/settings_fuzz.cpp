// The settings store is a text file anyone can edit: whatever it holds, loading gives a record,
// the checks make every value safe to use, and what is saved loads back the same. Saved into
// the file itself, it either keeps every line that holds no saved value or leaves the file as
// it was.
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "hoopdesk/settings/settingchecks.h"
#include "hoopdesk/settings/settings.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the line may hold one of the values SaveSettings writes.
bool MayHoldSavedValue(const QByteArray& line) {
  static const QByteArrayList kNames = {"CurrentDir", "PanelWidth", "Wp",          "BaudRate",
                                        "RotSpeed",   "ExpireDays", "ExpireFiles", "Port"};
  return std::any_of(kNames.begin(), kNames.end(),
                     [&](const QByteArray& name) { return line.contains(name); });
}

// The text's lines, split at every line break QSettings knows.
QByteArrayList Lines(QByteArray text) { return text.replace('\r', '\n').split('\n'); }

// Every line of `before` that holds no saved value is in `after`, in its order. Only a quote or
// a backslash before a line break lets a value run over several lines; with them the lines of a
// value are not known here, and the values are left to the check that they read back.
bool KeepsOtherLines(const QByteArray& before, const QByteArray& after) {
  if (before.contains('"') || before.contains("\\\n") || before.contains("\\\r")) return true;
  const QByteArrayList now = Lines(after);
  auto next = now.begin();
  for (const QByteArray& line : Lines(before)) {
    // A removed value takes its line break along, which splits into an empty line here.
    if (line.isEmpty() || MayHoldSavedValue(line)) continue;
    next = std::find(next, now.end(), line);
    if (next == now.end()) return false;
    ++next;
  }
  return true;
}

}  // namespace

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

  const QByteArray before = FileBytes(input);
  TSettings inPlace = loaded;
  inPlace.modified = true;
  const bool written = SaveSettings(input, designDir, inPlace);
  const QByteArray after = FileBytes(input);
  if (!written && after != before) std::abort();
  if (written && !KeepsOtherLines(before, after)) std::abort();
  if (written) {
    TSettings again;
    QString againDir;
    LoadSettings(input, againDir, again);
    if (againDir != designDir || again.RotSpeed != inPlace.RotSpeed ||
        again.Placement != inPlace.Placement || again.PanelWidth != inPlace.PanelWidth)
      std::abort();
  }
  return 0;
}
