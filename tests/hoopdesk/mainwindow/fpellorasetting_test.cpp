// The main window's colour settings and serial port menus open their dialogs on its machines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/fpelloraui.h"
#include "hoopdesk/slp/scopedenv.h"
#include "pelloraworld.h"
#include "shared/colorinfo.h"

namespace {

// Runs `answer` with the modal dialog that `open` shows, once it is up.
void Answer(const std::function<void(QWidget&)>& answer, const std::function<void()>& open) {
  bool answered = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    answer(*dialog);
    answered = true;
  });
  open();
  EXPECT_TRUE(answered);
}

int Count(const TFakeService& fake, const std::string& call) {
  int n = 0;
  for (const std::string& line : fake.log) n += line.rfind(call, 0) == 0 ? 1 : 0;
  return n;
}

TEST(MainWindowSettings, ColourSettingsEditTheSystemPaletteAndTheServerRereadsIt) {
  PelloraWorld world;
  world.SerialMachines(2);
  auto window = world.StartWindow();
  world.fake.log.clear();
  Answer(
      [](QWidget& dialog) {
        EXPECT_EQ(dialog.objectName(), "FColorSetting");
        EXPECT_EQ(dialog.findChild<QComboBox*>("MachineCB")->count(), 2);
        dialog.findChild<QPushButton*>("OKBtn")->click();  // nothing changed
      },
      [&] { window->Ui().MenuColorSet->trigger(); });
  EXPECT_EQ(Count(world.fake, "LoadSysColors"), 0);

  Answer(
      [](QWidget& dialog) {
        dialog.findChild<QPushButton*>("DelBtn")->click();
        dialog.findChild<QPushButton*>("OKBtn")->click();
      },
      [&] { window->Ui().MenuColorSet->trigger(); });
  EXPECT_EQ(Count(world.fake, "LoadSysColors"), 1);
  TColorInfo stored;
  stored.SetFileName((world.Home() / "SysColor.dat").string());
  stored.LoadColors("SysColor", 60);
  EXPECT_EQ(stored.GetCount(), 59);
}

TEST(MainWindowSettings, AChangedColourTableReachesTheThumbnails) {
  PelloraWorld world;
  ASSERT_TRUE(designmaker::WriteDst(world.Work() / "star.dst",
                                    designmaker::MakeDesign(2, 900, 500, "star")));
  auto window = world.StartWindow();
  TDesignBrowser& browser = window->Browser();
  const auto pageDrawn = [&] { return browser.SlotsDrawing() == 0; };
  ASSERT_TRUE(QTest::qWaitFor(pageDrawn, 20000));
  const int slot = static_cast<int>(browser.FileList().indexOf("star.dst"));
  ASSERT_GE(slot, 0);
  const auto picture = [&] {
    return window->Ui().Img[static_cast<std::size_t>(slot)]->pixmap().toImage();
  };
  const QImage before = picture();
  Answer(
      [](QWidget& dialog) {
        dialog.findChild<QPushButton*>("DelBtn")->click();  // the colours after it move up
        dialog.findChild<QPushButton*>("OKBtn")->click();
      },
      [&] { window->Ui().MenuColorSet->trigger(); });
  ASSERT_TRUE(QTest::qWaitFor(pageDrawn, 20000));
  TColorInfo stored;
  stored.SetFileName((world.Home() / "SysColor.dat").string());
  stored.LoadColors("SysColor", 60);
  const auto key = browser.Thumbnails().KeyFor(
      QString::fromStdString((world.Work() / "star.dst").string()), TThumbnailPage::kImageSize);
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(picture(), QPixmap::fromImage(DrawThumbnail({*key, stored}).image).toImage());
  EXPECT_NE(picture(), before);
}

TEST(MainWindowSettings, PortScanReleasesTheMachinesAndStartsThemAgainOnClosing) {
  std::vector<std::unique_ptr<ScopedEnv>> nowhere;
  std::vector<std::string> names;
  names.reserve(16);
  for (int n = 1; n <= 16; ++n) {
    names.push_back("PELLORA_COM" + std::to_string(n));
    nowhere.push_back(std::make_unique<ScopedEnv>(names.back().c_str(), "/nonexistent/com"));
  }
  PelloraWorld world;
  world.SerialMachines(2);
  auto window = world.StartWindow();
  ASSERT_EQ(window->Panels().GetMachineCount(), 2);
  world.fake.log.clear();
  Answer(
      [&](QWidget& dialog) {
        EXPECT_EQ(dialog.objectName(), "FPort");
        dialog.findChild<QPushButton*>("ScanBtn")->click();
        EXPECT_EQ(window->Panels().GetMachineCount(), 0);  // released for the scan
        EXPECT_FALSE(window->TimerActive());
        EXPECT_EQ(dialog.findChild<QProgressBar*>("ProgBar")->value(), 0);  // no port at all
        dialog.findChild<QPushButton*>("CancelBtn")->click();
      },
      [&] { window->Ui().MenuPort->trigger(); });
  EXPECT_EQ(Count(world.fake, "Connect "), 2);  // the serial slots, started again
  EXPECT_EQ(window->Panels().GetMachineCount(), 2);
  EXPECT_TRUE(window->TimerActive());
}

}  // namespace
