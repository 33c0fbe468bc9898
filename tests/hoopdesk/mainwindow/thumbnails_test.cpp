// The Stitch tab's thumbnails in the whole main window, started as the program starts it: the
// first page in the system palette, pictures that follow the control files, and the boxes of
// files that cannot be read.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <fstream>

#include "hoopdesk/browser/designbrowser.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/mainwindow/fpelloraui.h"
#include "hoopdesk/screenshot.h"
#include "pelloraworld.h"
#include "platform/messages.h"
#include "shared/colorinfo.h"

namespace {

namespace fs = std::filesystem;

constexpr COLORREF kGrass = 0x10B020;

// The system palette as the program's folder holds it.
TColorInfo StoredPalette(const PelloraWorld& world) {
  TColorInfo palette;
  palette.SetFileName((world.Home() / "SysColor.dat").string());
  palette.LoadColors("SysColor", 60);
  return palette;
}

QImage Picture(TFPellora& window, const QString& file) {
  const int index = static_cast<int>(window.Browser().FileList().indexOf(file));
  EXPECT_GE(index, 0);
  EXPECT_LT(index, TThumbnailPage::kSlots);
  return index >= 0 ? window.Ui().Img[static_cast<std::size_t>(index)]->pixmap().toImage()
                    : QImage();
}

// The picture of the file drawn here and now in the palette, as a slot shows it.
QImage Expected(TFPellora& window, const fs::path& file, const TColorInfo& palette) {
  const auto key = window.Browser().Thumbnails().KeyFor(QString::fromStdString(file.string()),
                                                        TThumbnailPage::kImageSize);
  EXPECT_TRUE(key.has_value());
  return key ? QPixmap::fromImage(DrawThumbnail({*key, palette}).image).toImage() : QImage();
}

bool WaitForPage(TFPellora& window) {
  return QTest::qWaitFor([&] { return window.Browser().SlotsDrawing() == 0; }, 20000);
}

int CountGreen(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      n += c.green() > c.red() + 60 && c.green() > c.blue() + 60 ? 1 : 0;
    }
  return n;
}

TEST(Thumbnails, TheFirstPageAfterStartIsDrawnInTheSystemPalette) {
  PelloraWorld world;
  TColorInfo stored = StoredPalette(world);
  stored.SetColor(0, kGrass);  // the first colour block of a foreign design takes entry 0
  ASSERT_TRUE(stored.SaveColors());
  ASSERT_TRUE(designmaker::WriteDst(world.Work() / "star.dst",
                                    designmaker::MakeDesign(2, 900, 500, "star")));
  auto window = world.StartWindow();
  ASSERT_TRUE(WaitForPage(*window));
  const QImage star = Picture(*window, "star.dst");
  EXPECT_EQ(star, Expected(*window, world.Work() / "star.dst", StoredPalette(world)));
  EXPECT_GT(CountGreen(star), 50);
  window->Browser().FoldersBtnClick();
  QTest::qWait(30);
  EXPECT_FALSE(SaveScreenshot(*window, "thumbnails_first_page").isEmpty());
}

TEST(Thumbnails, ARewriteOfOnlyTheControlFileReachesTheThumbnail) {
  PelloraWorld world;
  auto window = world.StartWindow();
  ASSERT_TRUE(WaitForPage(*window));
  const fs::path rose = world.Work() / "rose.10o";
  const QImage before = Picture(*window, "rose.10o");
  const TColorInfo palette = StoredPalette(world);
  TStitchItem design;
  ASSERT_TRUE(design.Load(rose.string(), palette));
  for (TEmbColor& block : design.Colors) block.Color = kGrass;
  ASSERT_TRUE(TStitchFormatMarlow::SaveCtrlFile(rose.string(), design, nullptr));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return WaitForPage(*window) &&
               Picture(*window, "rose.10o") == Expected(*window, rose, palette);
      },
      5000));
  EXPECT_NE(Picture(*window, "rose.10o"), before);
  EXPECT_GT(CountGreen(Picture(*window, "rose.10o")), 50);
}

TEST(Thumbnails, EachFileThatCannotBeReadGetsOneBoxAfterTheWindowShows) {
  PelloraWorld world;
  std::ofstream(world.Work() / "broken.dst") << std::string(100, 'x');  // header only
  std::ofstream(world.Work() / "empty.10o");
  struct Box {
    std::string text;
    bool windowShown;
  };
  std::vector<Box> boxes;
  TFPellora* shown = nullptr;
  platform::SetMessageBoxHandler(
      [&](platform::MessageBoxKind, const std::string&, const std::string& text) {
        boxes.push_back({text, shown != nullptr && shown->isVisible()});
      });
  auto window = std::make_unique<TFPellora>(world.Options());
  shown = window.get();
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.empty());
  window->resize(1022, 752);
  window->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->TimerActive(); }, 20000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return boxes.size() >= 2; }, 20000));
  window->Browser().ScrollBarChange();  // the same folder drawn again
  window->Browser().RefreshPage();
  QTest::qWait(20);
  ASSERT_EQ(boxes.size(), 2u);
  for (const char* name : {"broken.dst", "empty.10o"}) {
    const int count = static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](const Box& b) {
      return b.text.find(name) != std::string::npos && b.windowShown;
    }));
    EXPECT_EQ(count, 1) << name;
  }
  // Another folder and back: a new folder change, so each reports once more.
  window->Browser().ShowFolder(QString::fromStdString(world.Home().string()));
  window->Browser().ShowFolder(QString::fromStdString(world.Work().string()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return boxes.size() >= 4; }, 20000));
  QTest::qWait(20);
  EXPECT_EQ(boxes.size(), 4u);
  platform::SetMessageBoxHandler({});
}

}  // namespace
