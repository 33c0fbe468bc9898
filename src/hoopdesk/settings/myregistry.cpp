#include "hoopdesk/settings/myregistry.h"

#include <QFileInfo>
#include <limits>
#include <optional>

namespace {

// Strict: "9600" and "-1" read, "abc", "12abc", " 12", "0x10" and numbers beyond 32 bits do not.
std::optional<std::int32_t> ParseInt32(const QString& text) {
  qsizetype i = 0;
  const bool negative = text.startsWith(QLatin1Char('-'));
  if (negative) i = 1;
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + (c.unicode() - u'0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

TMyRegistry::TMyRegistry(QString path) : path_(std::move(path)) {}

TMyRegistry::~TMyRegistry() { CloseKey(); }

bool TMyRegistry::OpenKeyReadOnly() {
  store_.reset();
  const QFileInfo file(path_);
  if (!file.isFile() || !file.isReadable()) return false;
  auto store = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  if (store->status() != QSettings::NoError || store->childKeys().isEmpty()) return false;
  store_ = std::move(store);
  return true;
}

bool TMyRegistry::OpenKey() {
  store_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  if (store_->status() == QSettings::NoError && store_->isWritable()) return true;
  store_.reset();
  return false;
}

bool TMyRegistry::CloseKey() {
  if (!store_) return true;
  store_->sync();
  const bool written = store_->status() == QSettings::NoError;
  store_.reset();
  return written;
}

std::int32_t TMyRegistry::ReadIntegerDef(const QString& name, std::int32_t def) const {
  if (!store_) return def;
  const QVariant value = store_->value(name);
  if (value.typeId() == QMetaType::Int) return value.toInt();
  if (value.typeId() != QMetaType::QString) return def;
  return ParseInt32(value.toString()).value_or(def);
}

QString TMyRegistry::ReadStringDef(const QString& name, const QString& def) const {
  if (!store_) return def;
  const QVariant value = store_->value(name);
  return value.typeId() == QMetaType::QString ? value.toString() : def;
}

void TMyRegistry::WriteInteger(const QString& name, std::int32_t value) {
  if (store_) store_->setValue(name, value);
}

void TMyRegistry::WriteString(const QString& name, const QString& value) {
  if (store_) store_->setValue(name, value);
}

void TMyRegistry::DeleteValue(const QString& name) {
  if (store_) store_->remove(name);
}
