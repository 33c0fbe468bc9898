// TMyRegistry: the desktop program's access to its settings store, the INI file that PelService
// also reads "CurrentDir" from. Values sit at the top level of the file, as the server expects.
#pragma once

#include <QSettings>
#include <QString>
#include <cstdint>
#include <memory>

class TMyRegistry {
 public:
  // The store's file; nothing is opened yet.
  explicit TMyRegistry(QString path);
  ~TMyRegistry();
  TMyRegistry(const TMyRegistry&) = delete;
  TMyRegistry& operator=(const TMyRegistry&) = delete;

  // Opens the store for reading without creating it: false when the file is missing, cannot be
  // read, or holds no value at its top level (the key does not exist).
  bool OpenKeyReadOnly();
  // Opens the store for reading and writing; the file and its folder are made on CloseKey.
  bool OpenKey();
  // Writes what was changed. False when the file could not be written (the changes are lost).
  bool CloseKey();

  // The value when it exists and reads as a 32-bit decimal integer (an optional minus and
  // digits, nothing else), otherwise the default.
  std::int32_t ReadIntegerDef(const QString& name, std::int32_t def) const;
  // The value when it exists and is a plain string, otherwise the default.
  QString ReadStringDef(const QString& name, const QString& def) const;

  void WriteInteger(const QString& name, std::int32_t value);
  void WriteString(const QString& name, const QString& value);
  void DeleteValue(const QString& name);

 private:
  QString path_;
  std::unique_ptr<QSettings> store_;
};
