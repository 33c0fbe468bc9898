#include "rpc/registration.h"

#include <QProcess>
#include <QSettings>
#include <QString>
#include <QStringList>

#include "pelsrvapi/pelservice_tlb.h"

namespace rpc {

QString SettingsFilePath() {
  const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
  const QString base = !xdg.isEmpty() ? QString::fromLocal8Bit(xdg)
                                      : QString::fromLocal8Bit(qgetenv("HOME")) + "/.config";
  return base + "/Orven/Pellora.ini";
}

namespace {

// The settings store of both programs (organisation "Orven", application "Pellora"). The
// file is named afresh on every use: QSettings settles its user-scope folder once per process,
// and would then miss a store that another process wrote after the environment changed.
QSettings Store() { return QSettings(SettingsFilePath(), QSettings::IniFormat); }

QString ClassKey() { return QString("Classes/%1/LocalServer").arg(kPelSrvProgId); }

QString Quoted(const QString& path) {
  if (!path.contains(' ') && !path.contains('"')) return path;
  QString q = path;
  q.replace('"', "\"\"\"");
  return '"' + q + '"';
}

}  // namespace

bool RegisterServer(const std::string& programPath) {
  QSettings s = Store();
  s.setValue(ClassKey(), Quoted(QString::fromStdString(programPath)) + " /Automation");
  s.sync();
  return s.status() == QSettings::NoError;
}

bool UnregisterServer() {
  QSettings s = Store();
  s.remove(QString("Classes/%1").arg(kPelSrvProgId));
  s.sync();
  return s.status() == QSettings::NoError;
}

std::optional<std::string> RegisteredCommandLine() {
  QSettings s = Store();
  s.sync();  // another process may have written the file since this one last read it
  const QVariant v = s.value(ClassKey());
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  const QString line = v.toString();
  if (line.isEmpty()) return std::nullopt;
  return line.toStdString();
}

HRESULT StartRegisteredServer() {
  auto line = RegisteredCommandLine();
  if (!line) return REGDB_E_CLASSNOTREG;
  QStringList args = QProcess::splitCommand(QString::fromStdString(*line));
  if (args.isEmpty()) return REGDB_E_CLASSNOTREG;
  const QString program = args.takeFirst();
  return QProcess::startDetached(program, args) ? S_OK : CO_E_SERVER_EXEC_FAILURE;
}

}  // namespace rpc
