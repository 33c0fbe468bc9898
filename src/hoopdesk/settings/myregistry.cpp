#include "hoopdesk/settings/myregistry.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "hoopdesk/settings/storetext.h"
#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace {

// No settings store comes near this; a larger file is left alone rather than read into memory.
constexpr std::size_t kMaxStoreSize = std::size_t{16} << 20;
// QSettings holds the lock only while it writes, so a longer wait means a stuck writer.
constexpr int kLockWaitMs = 5000;

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

// What QSettings reads from the text: every key with its value.
std::optional<QVariantMap> StoreValues(QByteArrayView text) {
  QTemporaryFile file(QDir::tempPath() + QStringLiteral("/pellora-store-XXXXXX.ini"));
  if (!file.open() || file.write(text.data(), text.size()) != text.size() || !file.flush())
    return std::nullopt;
  const QSettings store(file.fileName(), QSettings::IniFormat);
  QVariantMap values;
  for (const QString& key : store.allKeys()) values.insert(key, store.value(key));
  return values;
}

// Equal values, or values of a type that does not compare equal to itself (a stored NaN) that
// are stored alike.
bool SameValue(const QVariant& a, const QVariant& b) {
  if (a == b) return true;
  const auto streamed = [](const QVariant& v) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << v;
    return bytes;
  };
  return streamed(a) == streamed(b);
}

// Whether `after` reads as `before` with the changes made and nothing else: the guard against a
// text that QSettings reads otherwise than the editor does.
bool ReadsAsChanged(QByteArrayView before, QByteArrayView after,
                    const std::vector<std::pair<QString, std::optional<QString>>>& changes) {
  std::optional<QVariantMap> expected = StoreValues(before);
  const std::optional<QVariantMap> actual = StoreValues(after);
  if (!expected || !actual) return false;
  for (const auto& [name, value] : changes) {
    if (value)
      expected->insert(name, *value);
    else
      expected->remove(name);
  }
  if (expected->keys() != actual->keys()) return false;
  for (auto value = expected->cbegin(); value != expected->cend(); ++value)
    if (!SameValue(value.value(), actual->value(value.key()))) return false;
  return true;
}

}  // namespace

TMyRegistry::TMyRegistry(QString path) : path_(std::move(path)) {}

TMyRegistry::~TMyRegistry() { CloseKey(); }

bool TMyRegistry::OpenKeyReadOnly() {
  store_.reset();
  writable_ = false;
  changes_.clear();
  const QFileInfo file(path_);
  if (!file.isFile() || !file.isReadable()) return false;
  auto store = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  // A line that does not parse is a format error, but QSettings reads every value around it.
  if (store->status() == QSettings::AccessError || store->childKeys().isEmpty()) return false;
  store_ = std::move(store);
  return true;
}

bool TMyRegistry::OpenKey() {
  changes_.clear();
  store_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  writable_ = store_->status() != QSettings::AccessError && store_->isWritable();
  if (!writable_) store_.reset();
  return writable_;
}

bool TMyRegistry::CloseKey() {
  if (!store_) return true;
  const bool written = changes_.empty() || WriteChanges();
  store_.reset();
  writable_ = false;
  changes_.clear();
  return written;
}

bool TMyRegistry::WriteChanges() const {
  if (!QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
  // The lock QSettings takes to write the file, so that a registration of the server and this
  // close do not write over each other.
  QLockFile lock(path_ + QStringLiteral(".lock"));
  if (!lock.tryLock(kLockWaitMs)) return false;
  const std::filesystem::path file = QFile::encodeName(path_).toStdString();
  std::optional<std::string> old = platform::ReadFileText(file, kMaxStoreSize);
  if (!old) {
    if (platform::GetLastError() != ENOENT) return false;
    old.emplace();
  }
  std::vector<TStoreChange> changes;
  for (const auto& [name, value] : changes_)
    changes.push_back({name, value ? std::optional(EncodeStoreValue(*value)) : std::nullopt});
  const QByteArrayView before(old->data(), static_cast<qsizetype>(old->size()));
  const QByteArray after = ApplyStoreChanges(before, changes);
  if (!ReadsAsChanged(before, after, changes_)) {
    std::fprintf(stderr, "%s does not read back as saved; the settings of this run are lost\n",
                 qPrintable(path_));
    return false;
  }
  return platform::WriteFileAtomically(file, std::string_view(after.data(), after.size()));
}

QVariant TMyRegistry::Value(const QString& name) const {
  if (!store_) return {};
  const auto changed = std::find_if(changes_.begin(), changes_.end(),
                                    [&](const auto& change) { return change.first == name; });
  if (changed == changes_.end()) return store_->value(name);
  return changed->second ? QVariant(*changed->second) : QVariant();
}

void TMyRegistry::Change(const QString& name, std::optional<QString> value) {
  if (!writable_) return;
  const auto changed = std::find_if(changes_.begin(), changes_.end(),
                                    [&](const auto& change) { return change.first == name; });
  if (changed == changes_.end())
    changes_.emplace_back(name, std::move(value));
  else
    changed->second = std::move(value);
}

std::int32_t TMyRegistry::ReadIntegerDef(const QString& name, std::int32_t def) const {
  const QVariant value = Value(name);
  if (value.typeId() == QMetaType::Int) return value.toInt();
  if (value.typeId() != QMetaType::QString) return def;
  return ParseInt32(value.toString()).value_or(def);
}

QString TMyRegistry::ReadStringDef(const QString& name, const QString& def) const {
  const QVariant value = Value(name);
  return value.typeId() == QMetaType::QString ? value.toString() : def;
}

void TMyRegistry::WriteInteger(const QString& name, std::int32_t value) {
  Change(name, QString::number(value));
}

void TMyRegistry::WriteString(const QString& name, const QString& value) { Change(name, value); }

void TMyRegistry::DeleteValue(const QString& name) { Change(name, std::nullopt); }
