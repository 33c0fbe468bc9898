#include "hoopdesk/dialogs/fabout.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "hoopdesk/screenshot.h"

namespace {

TEST(FAbout, ShowsThePictureAndTheVersionAndClosesOnOk) {
  TFAbout dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), "About");
  auto* image = dialog.findChild<QLabel*>("Image1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size(), QSize(306, 100));
  EXPECT_FALSE(image->pixmap().isNull());
  EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->text(), "Version 3.2.0");
  EXPECT_FALSE(dialog.findChild<QLabel*>("Label3")->text().isEmpty());
  EXPECT_FALSE(dialog.findChild<QLabel*>("Label4")->text().isEmpty());
  EXPECT_GE(dialog.width(), 338);
  EXPECT_GE(dialog.height(), 222);
  dialog.show();
  SaveScreenshot(dialog, "about");

  auto* ok = dialog.findChild<QPushButton*>("OKBtn");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  ok->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
