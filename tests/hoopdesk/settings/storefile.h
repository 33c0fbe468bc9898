// A settings store in a temporary folder, written and read as text so a test sees exactly which
// values the program left in it.
#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

class StoreFile {
 public:
  QString Path() const { return dir_.filePath(QStringLiteral("Orven/Pellora.ini")); }

  // Replaces the store with these lines of its top-level section.
  void Write(const QStringList& lines) const {
    QDir().mkpath(dir_.filePath(QStringLiteral("Orven")));
    QFile file(Path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    file.write(("[General]\n" + lines.join('\n') + '\n').toUtf8());
  }

  // Replaces the store with exactly these bytes.
  void WriteBytes(const QByteArray& bytes) const {
    QDir().mkpath(dir_.filePath(QStringLiteral("Orven")));
    QFile file(Path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    file.write(bytes);
  }

  QByteArray Bytes() const {
    QFile file(Path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // The names of the top-level values, sorted.
  QStringList Keys() const {
    QSettings store(Path(), QSettings::IniFormat);
    QStringList keys = store.childKeys();
    keys.sort();
    return keys;
  }

  QString Raw(const QString& name) const {
    QSettings store(Path(), QSettings::IniFormat);
    return store.value(name).toString();
  }

 private:
  QTemporaryDir dir_;
};
