#include "hoopdesk/colours/fcolorframe.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <vector>

#include "framefixture.h"
#include "hoopdesk/colours/colorrows.h"
#include "hoopdesk/controls/colorref.h"
#include "hoopdesk/screenshot.h"

namespace {

// The main window's frame with two machines' palettes and a design of four blocks.
class MainFrame : public ::testing::Test {
 protected:
  MainFrame() {
    palettes.push_back(std::make_unique<TColorInfo>(MakePalette(15, 0x30)));
    palettes.push_back(std::make_unique<TColorInfo>(MakePalette(12, 0x90)));
    frame.machinePalette = [this](int i) -> TColorInfo* {
      return i >= 0 && i < static_cast<int>(palettes.size()) ? palettes[i].get() : nullptr;
    };
    frame.resize(279, 640);
    frame.MachineCB()->addItems({"192.168.0.21", "COM1"});
    frame.Setup(&design);
    frame.show();
    QTest::qWait(10);
  }

  // Drags palette entry `entry` onto block `block`, both as rows of their panels.
  void DragEntryToBlock(int entry, int block) {
    QWidget* src = frame.PanelSrcColor();
    QWidget* dst = frame.PanelDstColor();
    const QPoint from(120, kColorRowTop + kColorRowPitch * entry + 10);
    const QPoint onBlock(50, kColorRowTop + kColorRowPitch * block + 10);
    DragWithin(src, from, src->mapFrom(&frame, dst->mapTo(&frame, onBlock)));
  }
  void ThreadMode() { frame.ThreadColorChoice()->click(); }
  // Whether block `block`'s row shows its needle number in red beside the swatch.
  bool RedNeedleNumberShown(int block) {
    const QImage row = frame.PanelDstColor()->grab().toImage();
    const int y = kColorRowTop + kColorRowPitch * block;
    for (int py = y + 4; py < y + 28; ++py) {
      for (int px = 74; px < 92; ++px) {
        const QColor c = row.pixelColor(px, py);
        if (c.red() > 180 && c.green() < 90 && c.blue() < 90) return true;
      }
    }
    return false;
  }

  TStitchItem design = FourBlocks();
  std::vector<std::unique_ptr<TColorInfo>> palettes;
  TFColorFrame frame;
};

TEST_F(MainFrame, DroppedNeedleShowsAndSurvivesAReMatch) {
  EXPECT_FALSE(RedNeedleNumberShown(2));  // data colours show no needles
  ThreadMode();
  DragEntryToBlock(3, 2);
  EXPECT_EQ(design.Colors[2].Index, 3);
  EXPECT_EQ(frame.Mappings().Count(), 1);
  EXPECT_TRUE(RedNeedleNumberShown(2));
  EXPECT_TRUE(frame.TakeChanged());
  auto* check = frame.findChild<QCheckBox*>("Check3");
  ASSERT_NE(check, nullptr);
  check->click();  // entry 3 no longer selectable: the automatic match runs again
  EXPECT_FALSE(palettes[0]->GetFlag(3));
  EXPECT_EQ(design.Colors[2].Index, 3);
  // The label of the assigned needle shows in the block's name field.
  EXPECT_EQ(frame.findChild<QLineEdit*>("NameEdit2")->text(), "Needle 4");
  // A change of machine drops the assignment.
  frame.MachineCB()->setCurrentIndex(1);
  EXPECT_EQ(frame.Mappings().Count(), 0);
  EXPECT_EQ(frame.Palette(), palettes[1].get());
}

TEST_F(MainFrame, InDataModeADropChangesNothing) {
  const auto before = design.Colors;
  DragEntryToBlock(3, 2);
  EXPECT_EQ(design.Colors, before);
  EXPECT_EQ(frame.Mappings().Count(), 0);
  EXPECT_EQ(frame.findChild<QLabel*>("DragImage"), nullptr);
}

TEST(FrameDrag, ThePictureFollowsOverTheWindowAndGoesWithTheFrame) {
  TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  QWidget window;
  window.resize(400, 700);
  auto frame = std::make_unique<TFColorFrame>(&window);
  frame->setGeometry(100, 20, 279, 640);
  frame->SetupDialog(&design, &palette, TColorFrameMode::DialogNeedles);
  window.show();
  QTest::qWait(10);
  QWidget* src = frame->PanelSrcColor();
  QWidget* dst = frame->PanelDstColor();
  const QPoint from(120, kColorRowTop + 10);
  SendMouse(src, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(src, QEvent::MouseMove, from + QPoint(4, 4), Qt::NoButton, Qt::LeftButton);
  // The picture floats over the whole window, not only the frame.
  QLabel* picture = window.findChild<QLabel*>("DragImage");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->parentWidget(), &window);
  EXPECT_EQ(picture->geometry().center(), src->mapTo(&window, from + QPoint(4, 4)) - QPoint(1, 1));
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
  const QPoint onBlock = src->mapFrom(frame.get(), dst->mapTo(frame.get(), QPoint(50, 58)));
  SendMouse(src, QEvent::MouseMove, onBlock, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragCopyCursor);
  frame.reset();  // the frame goes in mid-drag; its window stays
  EXPECT_EQ(window.findChild<QLabel*>("DragImage"), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainFrame, ClickingAMarkedBlockAgainUnmarksIt) {
  QWidget* dst = frame.PanelDstColor();
  const QPoint block1(50, kColorRowTop + kColorRowPitch * 1 + 10);
  QTest::mouseClick(dst, Qt::LeftButton, {}, block1);
  EXPECT_EQ(frame.SelDst(), 1);
  EXPECT_EQ(design.Colors[1].Mark, 1);
  QTest::mouseClick(dst, Qt::LeftButton, {}, block1);
  EXPECT_EQ(frame.SelDst(), -1);
  EXPECT_EQ(design.Colors[1].Mark, 0);
  QTest::mouseClick(dst, Qt::LeftButton, {}, QPoint(120, 58));  // beside the swatch band
  EXPECT_EQ(frame.SelDst(), -1);
}

// The pixels of a block's row that show it marked: the black outline around its swatch.
bool OutlineShown(const QImage& panel, int block) {
  const int y = ColorRowY(block);
  const QPoint edges[] = {{37, y + 10}, {71, y + 10}, {54, y - 4}, {54, y + 35}};
  for (const QPoint& p : edges)
    if (panel.pixelColor(p) != QColor(Qt::black)) return false;
  return true;
}

TEST_F(MainFrame, TheMarkedBlockIsOutlinedAndFilledWithItsColour) {
  QWidget* dst = frame.PanelDstColor();
  QTest::mouseClick(dst, Qt::LeftButton, {}, QPoint(50, ColorRowY(1) + 10));
  ASSERT_EQ(frame.SelDst(), 1);
  const QImage panel = dst->grab().toImage();
  EXPECT_TRUE(OutlineShown(panel, 1));
  EXPECT_FALSE(OutlineShown(panel, 2));
  // Inside the outline, above the swatch, the block's own colour.
  EXPECT_EQ(panel.pixelColor(40, ColorRowY(1) - 2), ToQColor(design.Colors[1].Color));
  EXPECT_EQ(panel.pixelColor(40, ColorRowY(2) - 2), QColor(Qt::white));
  EXPECT_EQ(panel.pixelColor(36, ColorRowY(1) + 10), QColor(Qt::white)) << "outside the outline";
}

TEST_F(MainFrame, ANeedleDroppedOnABlockLeavesNoBlockMarked) {
  const struct {
    const char* what;
    int marked;  // the block pressed before the drop, -1 none
    int block;   // the block the needle is dropped on
  } cases[] = {
      {"on another block", 1, 2},
      {"on the marked block", 2, 2},
      {"nothing marked", -1, 3},
  };
  ThreadMode();
  for (const auto& c : cases) {
    if (c.marked >= 0)
      QTest::mouseClick(frame.PanelDstColor(), Qt::LeftButton, {},
                        QPoint(50, ColorRowY(c.marked) + 10));
    ASSERT_EQ(frame.SelDst(), c.marked) << c.what;
    DragEntryToBlock(4, c.block);
    EXPECT_EQ(design.Colors[c.block].Index, 4) << c.what;
    EXPECT_EQ(frame.SelDst(), -1) << c.what;
    for (int b = 0; b < 4; ++b) EXPECT_EQ(design.Colors[b].Mark, 0) << c.what << ", block " << b;
    const QImage panel = frame.PanelDstColor()->grab().toImage();
    for (int b = 0; b < 4; ++b) EXPECT_FALSE(OutlineShown(panel, b)) << c.what << ", block " << b;
  }
}

TEST_F(MainFrame, SetupAfterEveryMachineWasRemovedShowsNoPalette) {
  frame.MachineCB()->clear();
  palettes.clear();  // the machine records and their palettes are gone
  frame.Setup(&design);
  EXPECT_EQ(frame.Palette(), nullptr);
  ThreadMode();
  DragEntryToBlock(0, 0);
  EXPECT_FALSE(frame.grab().isNull());  // paints both panels without the freed palette
  EXPECT_EQ(frame.findChild<QCheckBox*>("Check0"), nullptr);
}

TEST_F(MainFrame, ArrowKeysMoveTheSelectedEntryWithinThePalette) {
  QWidget* src = frame.PanelSrcColor();
  QTest::mouseClick(src, Qt::LeftButton, {}, QPoint(120, 18));
  EXPECT_EQ(frame.SelSrc(), 0);
  QTest::keyClick(src, Qt::Key_Up);
  EXPECT_EQ(frame.SelSrc(), 0);
  for (int i = 0; i < 20; ++i) QTest::keyClick(src, Qt::Key_Down);
  EXPECT_EQ(frame.SelSrc(), 14);
}

TEST_F(MainFrame, Screenshot) {
  ThreadMode();
  DragEntryToBlock(5, 1);
  QTest::mouseClick(frame.PanelDstColor(), Qt::LeftButton, {}, QPoint(50, 18 + 80));
  QTest::mouseClick(frame.PanelSrcColor(), Qt::LeftButton, {}, QPoint(120, 18 + 40));
  EXPECT_FALSE(SaveScreenshot(frame, "colorframe_thread").isEmpty());
}

TEST(DialogFrame, NeedleModeHidesAndRefusesEntriesThatCannotBeChosen) {
  TColorInfo palette = MakePalette(15, 0x30);
  palette.SetFlag(4, false);
  TStitchItem design = FourBlocks();
  TFColorFrame frame;
  frame.resize(279, 640);
  frame.SetupDialog(&design, &palette, TColorFrameMode::DialogNeedles);
  frame.show();
  QTest::qWait(10);
  EXPECT_FALSE(frame.IsDataMode());
  EXPECT_TRUE(frame.findChild<QWidget*>("PanelDownTop")->isHidden());
  QWidget* src = frame.PanelSrcColor();
  QWidget* dst = frame.PanelDstColor();
  const auto drag = [&](int entry, int block) {
    DragWithin(src, QPoint(120, 18 + 40 * entry),
               src->mapFrom(&frame, dst->mapTo(&frame, QPoint(50, 18 + 40 * block))));
  };
  drag(4, 0);
  EXPECT_EQ(design.Colors[0].Index, kNoPaletteIndex);
  drag(6, 0);
  EXPECT_EQ(design.Colors[0].Index, 6);
  // Names are not editable when needles are assigned.
  EXPECT_FALSE(frame.findChild<QLineEdit*>("NameEdit0")->isEnabled());
}

TEST(DialogFrame, RecolourModeEditsNamesWithinTheirBytes) {
  TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  TFColorFrame frame;
  frame.SetupDialog(&design, &palette, TColorFrameMode::Recolour);
  frame.show();
  auto* edit = frame.findChild<QLineEdit*>("NameEdit1");
  ASSERT_NE(edit, nullptr);
  edit->clear();
  for (int i = 0; i < 20; ++i) {  // é is two bytes
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x00E9)));
    QApplication::sendEvent(edit, &key);
  }
  EXPECT_EQ(edit->text(), QString(15, QChar(0x00E9)));
  EXPECT_EQ(design.Colors[1].Name.size(), 30u);
}

}  // namespace

namespace {

TEST(DialogFrame, ADoubleClickRecoloursThePaletteEntryOnlyWhenRecolouring) {
  for (const TColorFrameMode mode : {TColorFrameMode::Recolour, TColorFrameMode::DialogNeedles}) {
    TColorInfo palette = MakePalette(15, 0x30);
    TStitchItem design = FourBlocks();
    TFColorFrame frame;
    frame.SetupDialog(&design, &palette, mode);
    frame.chooseColor = [](COLORREF& c) {
      c = 0x123456;
      return true;
    };
    frame.show();
    QTest::mouseClick(frame.PanelSrcColor(), Qt::LeftButton, {}, QPoint(120, 58));
    QTest::mouseDClick(frame.PanelSrcColor(), Qt::LeftButton, {}, QPoint(120, 58));
    EXPECT_EQ(palette.GetColor(1) == 0x123456, mode == TColorFrameMode::Recolour);
  }
}

}  // namespace
