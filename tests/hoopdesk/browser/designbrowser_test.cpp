// The browser on a folder of its own: listing, thumbnails that follow the files, saving.
#include "hoopdesk/browser/designbrowser.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWheelEvent>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "hoopdesk/browser/designfiles.h"
#include "hoopdesk/browser/foldertree.h"
#include "hoopdesk/controls/liftbutton.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/screenshot.h"
#include "platform/messages.h"

namespace {

namespace fs = std::filesystem;
using designmaker::MakeDesign;
using designmaker::WriteDst;
using designmaker::WriteNative;

// The Stitch tab's controls as the main window lays them out, with a browser on them.
class BrowserFixture : public ::testing::Test {
 protected:
  BrowserFixture() {
    platform::SetMessageBoxHandler([this](platform::MessageBoxKind, const std::string&,
                                          const std::string& text) { boxes.push_back(text); });
    root = fs::path(dir.path().toStdString());
    page.resize(300, 760);
    w.shellTreeView = new QTreeView(&page);
    w.shellTreeView->setGeometry(0, 30, 300, 150);
    w.foldersBtn = new TLiftButton(&page);
    w.topPanel = &page;
    w.splitter = &page;
    w.panelPart = new QWidget(&page);
    w.panelPart->setGeometry(0, 180, 300, 580);
    w.panelContainer = new TPaintPanel(w.panelPart);
    w.panelContainer->setFixedSize(275, 533);
    for (int i = 0; i < TThumbnailPage::kSlots; ++i) {
      w.images[i] = new QLabel(w.panelContainer);
      w.images[i]->setGeometry(TThumbnailPage::ImageRect(i));
      w.labels[i] = new QLabel(w.panelContainer);
      w.labels[i]->setGeometry(TThumbnailPage::LabelRect(i));
    }
    w.scrollBar = new QScrollBar(Qt::Vertical, w.panelContainer);
    w.scrollBar->setGeometry(255, 0, 20, 533);
    w.setColBtn = new QPushButton("&Color", w.panelPart);
    palette.SetFileName((root / "SysColor.dat").string());
    palette.LoadColors("SysColor", 60);
    browser = std::make_unique<TDesignBrowser>(w, palette);
    browser->SetUp();
    page.show();
  }
  ~BrowserFixture() override { platform::SetMessageBoxHandler({}); }

  fs::path Folder(const char* name) {
    const fs::path f = root / name;
    fs::create_directories(f);
    return f;
  }
  // Shows the folder's first page; with `whole`, once every picture of it is drawn.
  void Browse(const fs::path& folder, bool whole = true) {
    browser->ShowFolder(QString::fromStdString(folder.string()));
    if (browser->DesignDir() != QString::fromStdString(folder.string())) {
      browser->ShellTreeViewChange();
    }
    if (whole) WaitForPage();
  }
  void WaitForPage() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return browser->SlotsDrawing() == 0; }, 20000));
  }
  // The file's picture drawn here and now with the fixture's palette, as a slot shows it.
  QImage Expected(const fs::path& file) {
    const auto key = browser->Thumbnails().KeyFor(QString::fromStdString(file.string()),
                                                  TThumbnailPage::kImageSize);
    EXPECT_TRUE(key.has_value());
    return key ? QPixmap::fromImage(DrawThumbnail({*key, palette}).image).toImage() : QImage();
  }
  QImage Picture(int slot) const { return w.images[slot]->pixmap().toImage(); }

  QTemporaryDir dir;
  fs::path root;
  QWidget page;
  TBrowserWidgets w;
  TColorInfo palette;
  std::unique_ptr<TDesignBrowser> browser;
  std::vector<std::string> boxes;
};

TEST_F(BrowserFixture, ListsThePageCaptionsAndHidesUnusedSlots) {
  const fs::path f = Folder("designs");
  for (int i = 0; i < 9; ++i)
    ASSERT_TRUE(
        WriteNative(f / ("design" + std::to_string(i) + ".10o"), MakeDesign(i, 400, 300, "d")));
  ASSERT_TRUE(WriteDst(f / "VeryLongDesignName.dst", MakeDesign(1, 300, 400, "v")));
  Browse(f);
  ASSERT_EQ(browser->FileList().size(), 10);
  EXPECT_EQ(w.labels[0]->text(), "design0");
  browser->ImgContainer().SetTopRow(1);
  EXPECT_EQ(w.labels[7]->text(), "VeryLongDesi");
  EXPECT_TRUE(w.images[7]->isVisible());
  browser->ImgContainer().SetTopRow(4);  // rows 1..4 at most: row 4 holds the last two
  EXPECT_EQ(w.scrollBar->value(), 1);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserFixture, ASlotWhoseFileWentAwayIsClearedNotLeftStale) {
  const fs::path f = Folder("gone");
  ASSERT_TRUE(WriteNative(f / "rose.10o", MakeDesign(0, 500, 300, "rose")));
  ASSERT_TRUE(WriteNative(f / "tulip.10o", MakeDesign(1, 500, 300, "tulip")));
  Browse(f);
  ASSERT_EQ(w.labels[1]->text(), "tulip");
  fs::remove(f / "tulip.10o");
  browser->ScrollBarChange();  // redrawn before the watch reported the removal
  EXPECT_EQ(w.labels[1]->text(), "");
  const QImage blank = Picture(1);
  EXPECT_EQ(blank.pixelColor(50, 54), QColor(Qt::white));
}

TEST_F(BrowserFixture, AFileRewrittenInPlaceGetsANewThumbnail) {
  const fs::path f = Folder("rewrite");
  ASSERT_TRUE(WriteNative(f / "rose.10o", MakeDesign(0, 800, 300, "rose")));
  Browse(f);
  const QImage before = Picture(0);
  // Rewrite the same file (same inode) with another design, as an editor saving in place.
  TStitchItem heart = MakeDesign(1, 800, 300, "rose");
  heart.LimitMoves();
  const std::vector<std::uint8_t> bytes = TStitchFormatMarlow::BuildDesignFile(heart);
  {
    std::fstream file(f / "rose.10o", std::ios::in | std::ios::out | std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  QTRY_VERIFY_WITH_TIMEOUT(Picture(0) != before, 3000);
}

TEST_F(BrowserFixture, NewAndRemovedFilesShowThroughTheWatch) {
  const fs::path f = Folder("watch");
  ASSERT_TRUE(WriteNative(f / "a.10o", MakeDesign(0, 300, 300, "a")));
  Browse(f);
  ASSERT_EQ(browser->FileList().size(), 1);
  ASSERT_TRUE(WriteDst(f / "b.dst", MakeDesign(2, 300, 300, "b")));
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 2, 3000);
  EXPECT_TRUE(w.images[1]->isVisible());
  fs::remove(f / "a.10o");
  fs::remove(f / "a.00o");
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 1, 3000);
  EXPECT_FALSE(w.images[1]->isVisible());
}

// A chosen folder's page is drawn before the rest of its list is sorted and before the watch
// moves to it: afterwards the list is whole and in order, its page shows its first names, and
// changes in it (not in the folder shown before) reach the list.
TEST_F(BrowserFixture, AChosenFolderIsListedWholeAndWatchedOnceItsPageIsDrawn) {
  const fs::path before = Folder("before");
  ASSERT_TRUE(WriteDst(before / "old.dst", MakeDesign(0, 300, 300, "o")));
  Browse(before);
  const fs::path f = Folder("chosen");
  for (int i = 0; i < 30; ++i) {
    const std::string name =
        QString("n%1%2").arg((i * 17) % 30).arg(i % 3 == 0 ? ".dst" : ".10o").toStdString();
    ASSERT_TRUE(i % 3 == 0 ? WriteDst(f / name, MakeDesign(i, 200, 200, "n"))
                           : WriteNative(f / name, MakeDesign(i, 200, 200, "n")));
  }
  Browse(f);
  const QStringList whole = ListDesignFiles(QString::fromStdString(f.string()));
  ASSERT_EQ(browser->FileList(), whole);
  for (int i = 0; i < TThumbnailPage::kSlots; ++i)
    EXPECT_EQ(w.labels[i]->text(), TThumbnailPage::Caption(whole[i])) << i;
  ASSERT_TRUE(WriteDst(before / "older.dst", MakeDesign(1, 300, 300, "o")));
  ASSERT_TRUE(WriteNative(f / "a.10o", MakeDesign(2, 300, 300, "a")));
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 31, 3000);
  EXPECT_EQ(w.labels[0]->text(), "a");
  QTest::qWait(200);
  EXPECT_FALSE(browser->FileList().contains("older.dst"));
}

// Mouse events as the thumbnail that took the press gets them.
void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, held,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

class ThumbnailDrag : public BrowserFixture {
 protected:
  ThumbnailDrag() {
    const fs::path f = Folder("drag");
    for (const char* name : {"a.10o", "b.10o", "c.10o"})
      EXPECT_TRUE(WriteNative(f / name, MakeDesign(0, 300, 300, name)));
    Browse(f);
    // The layout takes drops right of x 200 of the page, at a tenth of the page's point.
    browser->layoutDropPoint = [this](QPoint global) -> std::optional<TPoint> {
      const QPoint at = page.mapFromGlobal(global);
      if (at.x() <= 200) return std::nullopt;
      return TPoint{at.x() / 10, at.y() / 10};
    };
    browser->onAddDesign = [this](const QString& path, int x, int y) {
      added.push_back({path, QPoint(x, y)});
      return true;
    };
  }
  QPoint InImage(int slot, QPoint onPage) const { return w.images[slot]->mapFrom(&page, onPage); }
  Qt::CursorShape Cursor() const {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr ? c->shape() : Qt::ArrowCursor;
  }
  QLabel* Picture() const { return page.findChild<QLabel*>("ThumbDragImage"); }

  std::vector<std::pair<QString, QPoint>> added;
};

TEST_F(ThumbnailDrag, ADropOnTheLayoutAddsTheDesignAtThePointItGives) {
  QLabel* image = w.images[1];
  const QPoint from = image->rect().center();
  SendMouse(image, QEvent::MouseButtonPress, from, Qt::LeftButton);
  SendMouse(image, QEvent::MouseMove, InImage(1, QPoint(100, 400)), Qt::LeftButton);
  ASSERT_NE(Picture(), nullptr);
  EXPECT_TRUE(Picture()->isVisible());
  EXPECT_EQ(Picture()->geometry().center(), QPoint(100, 400) - QPoint(1, 1));
  EXPECT_EQ(Cursor(), Qt::ForbiddenCursor);
  SendMouse(image, QEvent::MouseMove, InImage(1, QPoint(250, 300)), Qt::LeftButton);
  EXPECT_EQ(Picture()->geometry().center(), QPoint(250, 300) - QPoint(1, 1));
  EXPECT_EQ(Cursor(), Qt::DragCopyCursor);
  SendMouse(image, QEvent::MouseButtonRelease, InImage(1, QPoint(250, 300)), Qt::NoButton);
  EXPECT_EQ(Picture(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].first, browser->DesignDir() + "/" + browser->FileList()[1]);
  EXPECT_EQ(added[0].second, QPoint(25, 30));
  EXPECT_EQ(browser->SelectedThumb(), 1);

  // Released where the layout does not take it: nothing is added, the thumbnail is selected.
  SendMouse(w.images[0], QEvent::MouseButtonPress, from, Qt::LeftButton);
  SendMouse(w.images[0], QEvent::MouseMove, InImage(0, QPoint(150, 300)), Qt::LeftButton);
  SendMouse(w.images[0], QEvent::MouseButtonRelease, InImage(0, QPoint(150, 300)), Qt::NoButton);
  EXPECT_EQ(added.size(), 1u);
  EXPECT_EQ(browser->SelectedThumb(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ThumbnailDrag, TheBrowserGoingInMidDragTakesThePictureAndTheCursorWithIt) {
  QLabel* image = w.images[0];
  SendMouse(image, QEvent::MouseButtonPress, image->rect().center(), Qt::LeftButton);
  SendMouse(image, QEvent::MouseMove, InImage(0, QPoint(250, 300)), Qt::LeftButton);
  ASSERT_NE(Picture(), nullptr);
  browser.reset();
  EXPECT_EQ(Picture(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(added.empty());
}

// A folder of 30 designs m00..m29: 15 rows, four shown, the last full page from row 11.
constexpr int kLastTop = 11;

class Scrolling : public BrowserFixture {
 protected:
  Scrolling() {
    folder = Folder("scroll");
    for (int i = 0; i < 30; ++i)
      EXPECT_TRUE(WriteNative(folder / Name(i), MakeDesign(i, 200, 300, "m")));
    Browse(folder);
  }
  static std::string Name(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.10o", i);
    return name;
  }
  // The bar moved by its arrow keys, as the operator does with the bar focused.
  void KeysDown(int n) {
    w.scrollBar->setFocus();
    for (int i = 0; i < n; ++i) QTest::keyClick(w.scrollBar, Qt::Key_Down);
  }
  // The bar's thumb dragged with the mouse to the bar's bottom end and beyond.
  void DragThumbToTheEnd() {
    QStyleOptionSlider option;
    option.initFrom(w.scrollBar);
    option.orientation = Qt::Vertical;
    option.minimum = w.scrollBar->minimum();
    option.maximum = w.scrollBar->maximum();
    option.sliderPosition = w.scrollBar->sliderPosition();
    option.sliderValue = w.scrollBar->value();
    option.pageStep = w.scrollBar->pageStep();
    option.singleStep = w.scrollBar->singleStep();
    const QRect thumb = w.scrollBar->style()->subControlRect(
        QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, w.scrollBar);
    ASSERT_FALSE(thumb.isEmpty());
    QTest::mousePress(w.scrollBar, Qt::LeftButton, {}, thumb.center());
    const QPoint beyond(thumb.center().x(), w.scrollBar->height() + 200);
    QMouseEvent move(QEvent::MouseMove, QPointF(beyond), QPointF(w.scrollBar->mapToGlobal(beyond)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.scrollBar, &move);
    QTest::mouseRelease(w.scrollBar, Qt::LeftButton, {}, beyond);
  }
  // One wheel step (+1 away from the operator, -1 towards) at the middle of `over`. A real
  // wheel over a thumbnail reaches the container, which the thumbnail leaves it to; a
  // synthesized event is not passed on, so it goes to the container at that point.
  void Wheel(QWidget* over, int step) {
    QWidget* target = over == w.scrollBar ? over : static_cast<QWidget*>(w.panelContainer);
    const QPoint at =
        over == target ? over->rect().center() : over->mapTo(target, over->rect().center());
    QWheelEvent e(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, 120 * step),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
  }
  // The page shows rows from `top`: the bar and the first caption agree.
  void ExpectPageFrom(int top) {
    EXPECT_EQ(w.scrollBar->value(), top);
    EXPECT_EQ(browser->ImgContainer().GetTopRow(), top);
    EXPECT_EQ(w.labels[0]->text(), QString::fromStdString(Name(top * 2)).chopped(4));
  }
  fs::path folder;
};

struct ScrollCase {
  const char* what;
  int keysDown;     // arrow-key steps on the bar first
  bool dragToEnd;   // then the thumb dragged past the bar's end
  int wheel;        // then wheel steps: +1 up, -1 down, 0 none
  bool wheelOnBar;  // the wheel turned over the bar instead of a thumbnail
  int wantTop;
};

class ScrollTable : public Scrolling, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollTable, TheWheelGoesOnFromWhereTheBarWasLeft) {
  const ScrollCase& c = GetParam();
  KeysDown(c.keysDown);
  if (c.dragToEnd) DragThumbToTheEnd();
  if (c.wheel != 0) Wheel(c.wheelOnBar ? static_cast<QWidget*>(w.scrollBar) : w.images[3], c.wheel);
  ExpectPageFrom(c.wantTop);
  EXPECT_EQ(w.scrollBar->maximum(), kLastTop);
  EXPECT_TRUE(w.images[7]->isVisible());
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollTable,
    ::testing::Values(ScrollCase{"BarToSixThenWheelDown", 6, false, -1, false, 7},
                      ScrollCase{"BarToSixThenWheelUp", 6, false, +1, false, 5},
                      ScrollCase{"BarToSixThenWheelOnTheBar", 6, false, -1, true, 7},
                      ScrollCase{"WheelUpOnTheFirstRow", 0, false, +1, false, 0},
                      ScrollCase{"WheelDownOnTheFirstRow", 0, false, -1, false, 1},
                      ScrollCase{"KeysPastTheLastPage", 20, false, 0, false, kLastTop},
                      ScrollCase{"ThumbDraggedPastTheEnd", 0, true, 0, false, kLastTop},
                      ScrollCase{"LastPageThenWheelDown", 0, true, -1, false, kLastTop},
                      ScrollCase{"LastPageThenWheelUp", 0, true, +1, false, kLastTop - 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Scrolling, ANewFileKeepsThePageWhereTheBarIs) {
  KeysDown(6);
  ExpectPageFrom(6);
  ASSERT_TRUE(WriteNative(folder / "m30.10o", MakeDesign(30, 200, 300, "m")));  // sorts last
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 31, 3000);
  ExpectPageFrom(6);
  ASSERT_TRUE(WriteNative(folder / "a.10o", MakeDesign(31, 200, 300, "a")));  // sorts first
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 32, 3000);
  EXPECT_EQ(w.scrollBar->value(), 6);
  EXPECT_EQ(w.labels[0]->text(), "m11");
  Wheel(w.images[0], -1);
  EXPECT_EQ(w.scrollBar->value(), 7);
}

TEST_F(Scrolling, AnotherFolderIsDrawnFromItsFirstPageOnly) {
  KeysDown(6);
  // Rows 0 to 5 readable, rows 6 to 9 not: drawing any of those would report them.
  const fs::path other = Folder("other");
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(WriteNative(other / Name(i), MakeDesign(i, 200, 300, "m")));
  for (int i = 0; i < 8; ++i) std::ofstream(other / ("z" + std::to_string(i) + ".10o")) << "junk";
  Browse(other);
  ExpectPageFrom(0);
  EXPECT_TRUE(boxes.empty()) << boxes.size() << " boxes for files off the page";
}

TEST_F(Scrolling, TheLastPageShowsTheLastRowWithItsOneDesign) {
  fs::remove(folder / "m29.10o");
  fs::remove(folder / "m29.00o");
  QTRY_COMPARE_WITH_TIMEOUT(browser->FileList().size(), 29, 3000);
  DragThumbToTheEnd();
  EXPECT_EQ(w.scrollBar->value(), kLastTop);
  EXPECT_EQ(w.labels[6]->text(), "m28");
  EXPECT_FALSE(w.images[7]->isVisible());
  QTest::qWait(20);
  EXPECT_FALSE(SaveScreenshot(page, "browser_last_page").isEmpty());
  w.scrollBar->setFocus();
  QTest::keyClick(w.scrollBar, Qt::Key_Up);
  QTest::keyClick(w.scrollBar, Qt::Key_Up);
  Wheel(w.images[0], -1);
  EXPECT_EQ(w.scrollBar->value(), kLastTop - 1);
  QTest::qWait(20);
  EXPECT_FALSE(SaveScreenshot(page, "browser_scrolled_back").isEmpty());
}

// The tree starts hidden and gets its folders only when first shown: it then shows the folder
// chosen meanwhile, selected and scrolled into view, and choosing it again changes nothing.
TEST_F(BrowserFixture, TheTreeFirstShownShowsTheChosenFolder) {
  const fs::path deep = Folder("a/b/c/chosen");
  const QString path = QString::fromStdString(deep.string());
  QTreeView view;
  view.resize(300, 120);
  view.hide();
  TFolderTree tree(&view);
  int changes = 0;
  QObject::connect(&tree, &TFolderTree::selectionChanged, [&] { ++changes; });
  EXPECT_FALSE(tree.Select(QString::fromStdString((root / "missing").string())));
  ASSERT_TRUE(tree.Select(path));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(tree.HasModel());
  EXPECT_EQ(tree.SelectedPath(), path);
  view.show();
  ASSERT_TRUE(tree.HasModel());
  EXPECT_EQ(tree.SelectedPath(), path);
  QTRY_VERIFY_WITH_TIMEOUT(
      view.viewport()->rect().contains(view.visualRect(view.currentIndex()).center()), 3000);
  ASSERT_TRUE(tree.Select(path));
  EXPECT_EQ(changes, 1);
  QTest::qWait(20);
  EXPECT_FALSE(SaveScreenshot(view, "browser_tree_first_shown").isEmpty());
}

struct SaveCase {
  const char* what;
  const char* source;    // file in the folder
  const char* chosen;    // name chosen in the save dialog
  const char* wantBase;  // the files written, without their extensions
  bool wantDesignFile;   // a new ".10o" under the chosen name
};

class SaveAs : public BrowserFixture, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveAs, WritesTheNativePairUnlessTheSourceIsThatNativeFile) {
  const SaveCase& c = GetParam();
  const fs::path f = Folder("save");
  const fs::path source = f / c.source;
  if (source.extension() == ".DST" || source.extension() == ".dst") {
    ASSERT_TRUE(WriteDst(source, MakeDesign(1, 300, 300, "src")));
  } else {
    ASSERT_TRUE(WriteNative(source, MakeDesign(1, 300, 300, "src")));
  }
  const auto designBefore =
      fs::exists(f / "ROSE.10o") ? fs::last_write_time(f / "ROSE.10o") : fs::file_time_type{};
  Browse(f);
  browser->runColorDialog = [](TStitchItem& design, TColorInfo&) {
    design.Colors[0].Name = "Recoloured";
    return true;
  };
  browser->chooseSaveFile = [&](const QString& folder, const QString& name) {
    EXPECT_EQ(name, QFileInfo(c.source).completeBaseName());
    return folder + '/' + c.chosen;
  };
  const int index = static_cast<int>(browser->FileList().indexOf(c.source));
  ASSERT_GE(index, 0);
  QTest::mouseClick(w.images[index], Qt::LeftButton);
  ASSERT_EQ(browser->SelectedThumb(), index);
  browser->SetColBtnClick();
  const fs::path base = f / c.wantBase;
  EXPECT_TRUE(fs::exists(fs::path(base).concat(".00o")));
  if (c.wantDesignFile) {
    EXPECT_TRUE(fs::exists(fs::path(base).concat(".10o")));
  } else {
    EXPECT_EQ(fs::last_write_time(f / "ROSE.10o"), designBefore);
  }
  TStitchItem back;
  ASSERT_TRUE(back.Load(fs::path(base).concat(".10o").string(), palette));
  EXPECT_EQ(back.Colors[0].Name, "Recoloured");
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveAs,
    ::testing::Values(SaveCase{"DstUnderItsOwnName", "ROSE.DST", "ROSE.DST", "ROSE", true},
                      SaveCase{"DstUnderANewName", "ROSE.DST", "garden.10o", "garden", true},
                      SaveCase{"NativeUnderItsOwnName", "ROSE.10o", "ROSE.10o", "ROSE", false},
                      SaveCase{"NativeUnderANewName", "ROSE.10o", "copy.10o", "copy", true},
                      // The name without its extension is saved, whatever the extension.
                      SaveCase{"NoExtension", "ROSE.DST", "garden", "garden", true},
                      SaveCase{"OtherExtension", "ROSE.DST", "my.design", "my", true},
                      SaveCase{"NativeOtherExtension", "ROSE.10o", "ROSE.old", "ROSE", false},
                      SaveCase{"ControlFileName", "ROSE.DST", "copy.00O", "copy", true},
                      SaveCase{"TrailingDot", "ROSE.DST", "garden.", "garden", true}),
    [](const auto& info) { return std::string(info.param.what); });

// The program's own save dialog, answered as the operator would: it opens in the design folder
// on the design's name; a name typed without an extension gets "10o", and the name without its
// extension is saved.
struct DialogCase {
  const char* what;
  const char* typed;
  const char* wantChosen;  // the file the dialog gives
  const char* wantBase;    // the files written, without their extensions
};

class SaveDialog : public BrowserFixture, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(SaveDialog, AddsTheDefaultExtensionToANameWithout) {
  const DialogCase& c = GetParam();
  const fs::path f = Folder("dialog");
  ASSERT_TRUE(WriteDst(f / "rose.dst", MakeDesign(3, 300, 300, "rose")));
  Browse(f);
  browser->runColorDialog = [](TStitchItem&, TColorInfo&) { return true; };
  QString suffix;
  QString folder;
  QString suggested;
  QStringList chosen;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    suffix = dialog->defaultSuffix();
    folder = dialog->directory().absolutePath();
    suggested = QFileInfo(dialog->selectedFiles().value(0)).completeBaseName();
    dialog->selectFile(c.typed);
    static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept, as its Save button
    chosen = dialog->selectedFiles();
  });
  QTest::mouseClick(w.images[0], Qt::LeftButton);
  browser->SetColBtnClick();
  EXPECT_EQ(suffix, "10o");
  EXPECT_EQ(folder, browser->DesignDir());
  EXPECT_EQ(suggested, "rose");
  ASSERT_EQ(chosen.size(), 1);
  EXPECT_EQ(QFileInfo(chosen[0]).fileName(), c.wantChosen);
  EXPECT_TRUE(fs::exists(f / (std::string(c.wantBase) + ".10o")));
  EXPECT_TRUE(fs::exists(f / (std::string(c.wantBase) + ".00o")));
  EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveDialog,
    ::testing::Values(DialogCase{"NoExtension", "garden", "garden.10o", "garden"},
                      DialogCase{"OtherExtension", "my.design", "my.design", "my"},
                      DialogCase{"StitchExtension", "tulip.dst", "tulip.dst", "tulip"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(BrowserFixture, TheSavedDesignIsOnTheShownPage) {
  const fs::path f = Folder("many");
  for (int i = 0; i < 30; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%02d.10o", i);
    ASSERT_TRUE(WriteNative(f / name, MakeDesign(i, 200, 300, "m")));
  }
  Browse(f);
  browser->runColorDialog = [](TStitchItem&, TColorInfo&) { return true; };
  browser->chooseSaveFile = [](const QString& folder, const QString&) {
    return folder + "/zz.10o";  // sorts last: row 15
  };
  QTest::mouseClick(w.images[0], Qt::LeftButton);
  browser->SetColBtnClick();
  const int pos = static_cast<int>(browser->FileList().indexOf("zz.10o"));
  ASSERT_EQ(pos, 30);
  const int top = browser->ImgContainer().GetTopRow();
  EXPECT_LE(top, pos / 2);
  EXPECT_LT(pos / 2, top + browser->ImgContainer().VisibleRows());
}

// New colours saved into the design's own file: the list stays as it is and the design stays
// selected, with its new picture.
TEST_F(BrowserFixture, ASaveUnderTheDesignsOwnNameKeepsItSelected) {
  const fs::path f = Folder("own");
  for (const char* name : {"a.10o", "b.10o", "c.10o"})
    ASSERT_TRUE(WriteNative(f / name, MakeDesign(2, 200, 300, name)));
  Browse(f);
  const QStringList before = browser->FileList();
  browser->runColorDialog = [](TStitchItem& design, TColorInfo&) {
    for (TEmbColor& c : design.Colors) {
      c.Index = kNoPaletteIndex;
      c.Color = 0x0000FF;  // red
    }
    return true;
  };
  browser->chooseSaveFile = [](const QString& folder, const QString& name) {
    return folder + "/" + name + ".10o";
  };
  QTest::mouseClick(w.images[1], Qt::LeftButton);
  ASSERT_EQ(browser->SelectedThumb(), 1);
  const QImage old = Picture(1);
  browser->SetColBtnClick();
  WaitForPage();
  EXPECT_EQ(browser->FileList(), before);
  EXPECT_EQ(browser->SelectedThumb(), 1);
  EXPECT_TRUE(w.setColBtn->isEnabled());
  EXPECT_NE(Picture(1), old);
  EXPECT_EQ(Picture(1), Expected(f / "b.10o"));
}

TEST_F(BrowserFixture, CancelledDialogOrSaveWritesNothing) {
  const fs::path f = Folder("cancel");
  ASSERT_TRUE(WriteDst(f / "a.dst", MakeDesign(3, 300, 300, "a")));
  Browse(f);
  QTest::mouseClick(w.images[0], Qt::LeftButton);
  browser->runColorDialog = [](TStitchItem&, TColorInfo&) { return false; };
  browser->SetColBtnClick();
  browser->runColorDialog = [](TStitchItem&, TColorInfo&) { return true; };
  browser->chooseSaveFile = [](const QString&, const QString&) { return QString(); };
  browser->SetColBtnClick();
  EXPECT_FALSE(fs::exists(f / "a.10o"));
  EXPECT_FALSE(fs::exists(f / "a.00o"));
}

TEST_F(BrowserFixture, ScreenshotOfAFolderOfDesigns) {
  const fs::path f = Folder("Spring collection");
  const char* names[] = {"Bluebell", "Heart",      "Starlight", "Swirl",
                         "Poppy",    "Sweetheart", "Northstar", "Whirl"};
  for (int i = 0; i < 8; ++i)
    ASSERT_TRUE(WriteNative(f / (std::string(names[i]) + ".10o"),
                            MakeDesign(i, 1500, 500 + 40 * i, names[i], i)));
  Browse(f);
  QTest::mouseClick(w.images[2], Qt::LeftButton);
  QTest::qWait(20);
  EXPECT_FALSE(SaveScreenshot(page, "browser_page").isEmpty());
}

TEST_F(BrowserFixture, APageDrawnAtOnceAndOneDrawnLaterShowTheSamePixels) {
  const fs::path f = Folder("both ways");
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(WriteNative(f / ("n" + std::to_string(i) + ".10o"),
                            MakeDesign(i, 900, 400 + 30 * i, "n", i)));
  ASSERT_TRUE(WriteDst(f / "s0.dst", MakeDesign(2, 900, 500, "s0")));
  ASSERT_TRUE(WriteDst(f / "s1.dst", MakeDesign(5, 900, 450, "s1")));
  browser->SetPageBudget(TDesignBrowser::kNoBudgetLimit);
  Browse(f, false);
  EXPECT_EQ(browser->SlotsDrawing(), 0);  // all of it before the page returned
  std::vector<QImage> atOnce;
  for (int i = 0; i < TThumbnailPage::kSlots; ++i) atOnce.push_back(Picture(i));

  browser->Thumbnails().Clear();
  browser->SetPageBudget(std::chrono::milliseconds(0));
  browser->ScrollBarChange();
  WaitForPage();
  for (int i = 0; i < TThumbnailPage::kSlots; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Picture(i), atOnce[static_cast<std::size_t>(i)]);
    EXPECT_NE(Picture(i), QPixmap::fromImage(BlankThumbnail(TThumbnailPage::kImageSize)).toImage());
  }
}

// Holds back the drawing of one file until it is let go; the others draw as they would.
class Gate {
 public:
  explicit Gate(std::string held) : held_(std::move(held)) {}
  TThumbnail Draw(const TThumbnailRequest& request) {
    if (request.key.path.endsWith(QString::fromStdString(held_))) {
      std::unique_lock lock(mutex_);
      open_.wait(lock, [this] { return released_; });
    }
    return DrawThumbnail(request);
  }
  void Release() {
    {
      const std::lock_guard lock(mutex_);
      released_ = true;
    }
    open_.notify_all();
  }

 private:
  const std::string held_;
  std::mutex mutex_;  // guards released_
  std::condition_variable open_;
  bool released_ = false;
};

enum class Meanwhile { Nothing, ScrollAway, OtherFolder };

struct SlowCase {
  const char* what;
  bool broken;          // the slow file cannot be read
  Meanwhile meanwhile;  // what the operator does while it is drawn
};

class SlowDesign : public BrowserFixture, public ::testing::WithParamInterface<SlowCase> {
 protected:
  SlowDesign() : gate(std::make_shared<Gate>("slow.10o")) {
    browser->Thumbnails().SetDrawer(
        [gate = gate](const TThumbnailRequest& request) { return gate->Draw(request); });
    // Nothing is waited for: every picture comes from the workers.
    browser->SetPageBudget(std::chrono::milliseconds(0));
  }
  ~SlowDesign() override {
    gate->Release();
    browser.reset();
  }
  std::shared_ptr<Gate> gate;
};

TEST_P(SlowDesign, ThePageShowsWithoutItAndItsPictureGoesOnlyWhereItIsStillShown) {
  const SlowCase& c = GetParam();
  const fs::path f = Folder("slow");
  if (c.broken) {
    std::ofstream(f / "slow.10o");  // empty
  } else {
    ASSERT_TRUE(WriteNative(f / "slow.10o", MakeDesign(3, 2000, 700, "slow")));
  }
  for (int i = 0; i < 9; ++i)
    ASSERT_TRUE(WriteDst(f / ("t" + std::to_string(i) + ".dst"), MakeDesign(i, 300, 300, "t")));
  const fs::path other = Folder("other");
  ASSERT_TRUE(WriteDst(other / "rose.dst", MakeDesign(1, 400, 400, "rose")));
  const QImage blank = QPixmap::fromImage(BlankThumbnail(TThumbnailPage::kImageSize)).toImage();

  Browse(f, false);
  ASSERT_EQ(browser->FileList().indexOf("slow.10o"), 0);  // native files come first
  EXPECT_TRUE(QTest::qWaitFor([this] { return browser->SlotsDrawing() == 1; }, 20000));
  EXPECT_EQ(w.labels[0]->text(), "slow");
  EXPECT_EQ(Picture(0), blank);
  for (int i = 1; i < TThumbnailPage::kSlots; ++i) EXPECT_NE(Picture(i), blank) << i;

  if (c.meanwhile == Meanwhile::ScrollAway) browser->ImgContainer().SetTopRow(1);
  if (c.meanwhile == Meanwhile::OtherFolder) Browse(other);
  const QImage slot0 = Picture(0);
  gate->Release();
  EXPECT_TRUE(QTest::qWaitFor([this] { return browser->Thumbnails().DrawingCount() == 0; }, 20000));
  QCoreApplication::processEvents();
  switch (c.meanwhile) {
    case Meanwhile::Nothing:
      EXPECT_EQ(Picture(0), c.broken ? blank : Expected(f / "slow.10o"));
      break;
    case Meanwhile::ScrollAway:
      EXPECT_EQ(Picture(0), slot0);  // the design of row 1 stays
      EXPECT_EQ(Picture(0), Expected(f / "t1.dst"));
      browser->ImgContainer().SetTopRow(0);  // back: the picture was kept
      EXPECT_EQ(browser->SlotsDrawing(), 0);
      EXPECT_EQ(Picture(0), c.broken ? blank : Expected(f / "slow.10o"));
      break;
    case Meanwhile::OtherFolder:
      EXPECT_EQ(Picture(0), Expected(other / "rose.dst"));
      EXPECT_EQ(w.labels[0]->text(), "rose");
      break;
  }
  QCoreApplication::processEvents();
  // A file of a folder no longer shown reports nothing.
  const bool reported = c.broken && c.meanwhile != Meanwhile::OtherFolder;
  EXPECT_EQ(boxes.size(), reported ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlowDesign,
    ::testing::Values(SlowCase{"Waited", false, Meanwhile::Nothing},
                      SlowCase{"ScrolledAway", false, Meanwhile::ScrollAway},
                      SlowCase{"OtherFolderChosen", false, Meanwhile::OtherFolder},
                      SlowCase{"BrokenWaited", true, Meanwhile::Nothing},
                      SlowCase{"BrokenScrolledAway", true, Meanwhile::ScrollAway},
                      SlowCase{"BrokenOtherFolderChosen", true, Meanwhile::OtherFolder}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
