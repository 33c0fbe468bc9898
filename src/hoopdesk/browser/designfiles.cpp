#include "hoopdesk/browser/designfiles.h"

#include <QCollator>
#include <QDirIterator>
#include <algorithm>
#include <array>

#include "shared/stitchpath.h"

int DesignFileGroup(const QString& name) {
  static constexpr std::array<const char*, 4> kExtensions = {".10o", ".dsb", ".dst", ".dsz"};
  for (int g = 0; g < static_cast<int>(kExtensions.size()); ++g) {
    if (name.size() > 4 && name.endsWith(QLatin1StringView(kExtensions[g]), Qt::CaseInsensitive))
      return g;
  }
  return -1;
}

bool IsNativeDesignFile(const QString& name) { return IsNativeDesignName(name.toStdString()); }

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
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  QStringList list;
  for (QStringList& group : groups) {
    std::sort(group.begin(), group.end(),
              [&order](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
    list.append(group);
  }
  return list;
}
