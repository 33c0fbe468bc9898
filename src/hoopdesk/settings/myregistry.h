// TMyRegistry: the desktop program's access to its settings store, the INI file that PelService
// also reads "CurrentDir" from. Values sit at the top level of the file, as the server expects.
#pragma once

#include <QSettings>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class TMyRegistry {
 public:
  // The store's file; nothing is opened yet.
  explicit TMyRegistry(QString path);
  ~TMyRegistry();
  TMyRegistry(const TMyRegistry&) = delete;
  TMyRegistry& operator=(const TMyRegistry&) = delete;

  // Opens the store for reading without creating it: false when the file is missing, cannot be
  // read, or holds no value at its top level (the key does not exist). Lines that do not parse
  // are passed over; the values around them read as usual.
  bool OpenKeyReadOnly();
  // Opens the store for reading and writing; the file is made on CloseKey.
  bool OpenKey();
  // Writes what was changed into the file in place (storetext.h), under the lock QSettings takes
  // for the file, replacing the file atomically: every line of a value not changed stays as it
  // was, including lines that do not parse and the other programs' sections. False, with the
  // file as it was and the changes lost, when it could not be read or written, or when the
  // result would not read back as the old values with the changes.
  bool CloseKey();

  // The value when it exists and reads as a 32-bit decimal integer (an optional minus and
  // digits, nothing else), otherwise the default.
  std::int32_t ReadIntegerDef(const QString& name, std::int32_t def) const;
  // The value when it exists and is a plain string, otherwise the default.
  QString ReadStringDef(const QString& name, const QString& def) const;

  // Changes are kept until CloseKey and ignored on a store opened for reading only.
  void WriteInteger(const QString& name, std::int32_t value);
  void WriteString(const QString& name, const QString& value);
  void DeleteValue(const QString& name);

 private:
  QVariant Value(const QString& name) const;
  void Change(const QString& name, std::optional<QString> value);
  bool WriteChanges() const;

  QString path_;
  std::unique_ptr<QSettings> store_;
  bool writable_ = false;
  // The last change of each value, in the order the values were first changed.
  std::vector<std::pair<QString, std::optional<QString>>> changes_;
};
