// The offscreen platform the widget tests and screenshots rely on: it must draw text, or every
// screenshot comes out blank (a missing font package shows here first).
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QLabel>

#include "hoopdesk/screenshot.h"

TEST(Offscreen, DrawsTextIntoScreenshots) {
  QLabel label(QStringLiteral("Pellora"));
  label.setStyleSheet(QStringLiteral("background: white; color: black"));
  label.resize(120, 30);
  const QString path = SaveScreenshot(label, QStringLiteral("offscreen-label"));
  ASSERT_FALSE(path.isEmpty());
  ASSERT_TRUE(QFileInfo::exists(path));

  const QImage image = label.grab().toImage();
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) ++dark;
  EXPECT_GT(dark, 20) << "no text was drawn";
}
