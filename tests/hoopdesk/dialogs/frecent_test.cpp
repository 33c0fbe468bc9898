#include "hoopdesk/dialogs/frecent.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "hoopdesk/screenshot.h"

namespace {

TSettings Stored(std::int32_t days, std::int32_t files) {
  TSettings settings;
  settings.ExpireDays = days;
  settings.ExpireFiles = files;
  settings.RotSpeed = 700;
  return settings;
}

struct Controls {
  explicit Controls(TFRecent& dialog)
      : days(dialog.findChild<QSpinBox*>("DateUpDown")),
        files(dialog.findChild<QSpinBox*>("FileUpDown")),
        dayEdit(dialog.findChild<QLineEdit*>("DateEdt")),
        ok(dialog.findChild<QPushButton*>("OKBtn")),
        cancel(dialog.findChild<QPushButton*>("CancelBtn")) {}
  QSpinBox* days;
  QSpinBox* files;
  QLineEdit* dayEdit;
  QPushButton* ok;
  QPushButton* cancel;
};

TEST(FRecent, ShowsTheLimitsWithItsLabelsAndButtons) {
  TSettings settings = Stored(3, 30);
  TFRecent dialog(nullptr, settings);
  Controls c(dialog);
  ASSERT_TRUE(c.days && c.files && c.dayEdit && c.ok && c.cancel);
  EXPECT_EQ(dialog.windowTitle(), "Recent Files");
  EXPECT_EQ(c.days->value(), 3);
  EXPECT_EQ(c.files->value(), 30);
  EXPECT_EQ(c.dayEdit->text(), "3");
  EXPECT_EQ(c.days->minimum(), 0);
  EXPECT_EQ(c.days->maximum(), 100);
  EXPECT_FALSE(c.days->wrapping());
  EXPECT_EQ(c.files->maximum(), 100);
  EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->buddy(), c.days);
  EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->text(), "&Maximum Files");
  EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->buddy(), c.files);
  EXPECT_TRUE(c.ok->isDefault());
  EXPECT_GE(dialog.width(), 223);
  EXPECT_GE(dialog.height(), 142);
  dialog.show();
  SaveScreenshot(dialog, "recent-files");
}

TEST(FRecent, CancelLeavesTheSettingsAlone) {
  TSettings settings = Stored(5, 40);
  TFRecent dialog(nullptr, settings);
  Controls c(dialog);
  c.days->setValue(9);
  c.files->setValue(12);
  c.cancel->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(settings.ExpireDays, 5);
  EXPECT_EQ(settings.ExpireFiles, 40);
  EXPECT_FALSE(settings.modified);
}

TEST(FRecent, OkStoresWhatTheDialogShowsAndMarksTheSettingsModified) {
  struct Row {
    std::int32_t days, files;  // stored before
    const char* typedDays;     // typed into the edit, or null
    std::int32_t wantDays, wantFiles;
  };
  const Row rows[] = {
      {3, 30, nullptr, 3, 30},  // untouched: the same values, still marked
      {3, 30, "12", 12, 30},    // typed, not yet confirmed by the edit
      // Above the range in the store: its end. Negative: what the purge uses for it, the
      // default; 0 would make OK turn "purge by the default" into "purge everything".
      {500, -4, nullptr, 100, 30},
      {-1, 65539, nullptr, 3, 100},
  };
  for (const Row& row : rows) {
    TSettings settings = Stored(row.days, row.files);
    TFRecent dialog(nullptr, settings);
    Controls c(dialog);
    dialog.show();
    if (row.typedDays) {
      c.dayEdit->selectAll();
      QTest::keyClicks(c.dayEdit, row.typedDays);
    }
    c.ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.ExpireDays, row.wantDays) << row.days;
    EXPECT_EQ(settings.ExpireFiles, row.wantFiles) << row.files;
    EXPECT_TRUE(settings.modified);
    EXPECT_EQ(settings.RotSpeed, 700);
  }
}

}  // namespace
