#include "hoopdesk/browser/designfiles.h"

#include <QCollator>
#include <QDirIterator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

int DesignFileGroup(const QString& name) {
  static constexpr std::array<const char*, 4> kExtensions = {".10o", ".dsb", ".dst", ".dsz"};
  for (int g = 0; g < static_cast<int>(kExtensions.size()); ++g) {
    if (name.size() > 4 && name.endsWith(QLatin1StringView(kExtensions[g]), Qt::CaseInsensitive))
      return g;
  }
  return -1;
}

bool IsNativeDesignFile(const QString& name) { return DesignFileGroup(name) == 0; }

void SortDesignNames(QStringList& names) {
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  const auto less = [&order](const QString& a, const QString& b) {
    return order.compare(a, b) < 0;
  };
  // The C locale's collator compares characters directly, which costs no more than a key; its
  // keys would not fold case, so it is asked as it is.
  if (order.locale().language() == QLocale::C) {
    std::sort(names.begin(), names.end(), less);
    return;
  }
  // Otherwise each name's key is made once and the keys are compared: a key compares as the
  // collator compares its names. The same sort over the same comparisons gives the same order,
  // names that compare equal included.
  std::vector<std::pair<QCollatorSortKey, QString>> keyed;
  keyed.reserve(static_cast<std::size_t>(names.size()));
  for (QString& name : names) keyed.emplace_back(order.sortKey(name), std::move(name));
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
  for (qsizetype i = 0; i < names.size(); ++i)
    names[i] = std::move(keyed[static_cast<std::size_t>(i)].second);
}

QStringList ListDesignFiles(const QString& folder) {
  std::array<QStringList, 4> groups;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
  while (it.hasNext()) {
    it.next();
    const QString name = it.fileName();
    if (name.startsWith('.')) continue;
    const int g = DesignFileGroup(name);
    if (g >= 0) groups[static_cast<std::size_t>(g)].append(name);
  }
  QStringList list;
  for (QStringList& group : groups) {
    SortDesignNames(group);
    list.append(group);
  }
  return list;
}
