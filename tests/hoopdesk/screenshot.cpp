#include "screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveScreenshot(QWidget& widget, const QString& name) {
  const QString dir = QStringLiteral(PELLORA_SCREENSHOT_DIR);
  if (!QDir().mkpath(dir)) return {};
  const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
  return widget.grab().save(path, "PNG") ? path : QString();
}
