#include "hoopdesk/colours/fsetcol.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "framefixture.h"
#include "hoopdesk/colours/designinfo.h"
#include "hoopdesk/colours/fcolorframe.h"
#include "hoopdesk/colours/queuedcolours.h"
#include "hoopdesk/designmaker.h"
#include "hoopdesk/screenshot.h"

namespace {

struct InfoCase {
  TRect raw;
  int zoom;
  bool extents;
  const char* width;
  const char* height;
  const char* x1;
  const char* x2;
  const char* y1;
  const char* y2;
  const char* scale;
};

TEST(DesignInfoTexts, SizeExtentsAndScale) {
  const InfoCase cases[] = {
      {{-250, -100, 250, 400},
       37,
       true,
       "50.0",
       "50.0",
       "-X 250",
       "+X 250",
       "-Y 400",
       "+Y 100",
       "37%"},
      {{-250, -100, 250, 400}, 37, false, "50.0", "50.0", "", "", "", "", ""},
      {{0, 0, 7, 1234}, 100, true, "0.7", "123.4", "-X 0", "+X 7", "-Y 1234", "+Y 0", "100%"},
      {{10, 20, 10, 20}, 5, true, "0.0", "0.0", "-X -10", "+X 10", "-Y 20", "+Y -20", "5%"},
  };
  for (const InfoCase& c : cases) {
    const TDesignInfoTexts t = MakeDesignInfoTexts(c.raw, 1234, 3, c.zoom, c.extents);
    EXPECT_EQ(t.width, c.width);
    EXPECT_EQ(t.height, c.height);
    EXPECT_EQ(t.stitches, "1234");
    EXPECT_EQ(t.colors, "3");
    EXPECT_EQ(t.x1, c.x1);
    EXPECT_EQ(t.x2, c.x2);
    EXPECT_EQ(t.y1, c.y1);
    EXPECT_EQ(t.y2, c.y2);
    EXPECT_EQ(t.scale, c.scale);
  }
}

// The origin's place in the picture: the design is drawn around the centre of its raw
// rectangle, so the origin lies off the picture's centre by the centre's zoomed pixels. A
// design far from its origin must neither overflow nor move the origin onto the wrong side.
TEST(DesignOriginPoint, CentreOffsetInSixtyFourBits) {
  struct Case {
    TRect raw;
    int zoom;
    int w, h;
    TPoint origin;
  };
  const Case cases[] = {
      {{-254, -254, 254, 254}, 100, 200, 100, {100, 50}},  // centred on the origin
      {{0, 0, 508, 254}, 100, 200, 100, {4, 2}},           // centre (254, 127) = (96, 48) px
      {{0, 0, 508, 254}, 50, 200, 100, {52, 26}},          // half size
      {{-508, 0, 0, 0}, 100, 101, 11, {146, 5}},           // odd sizes halve toward zero
      // Centre near +2^31 in 0.1 mm: 32-bit products would overflow and flip the sign.
      {{2147483000, 2147483000, 2147483600, 2147483600}, 1, 800, 600, {-8116072, -8116172}},
      {{-2147483600, -2147483600, -2147483000, -2147483000}, 1, 800, 600, {8116872, 8116772}},
  };
  for (const Case& c : cases) {
    const TPoint at = DesignOriginPoint(c.raw, c.zoom, c.w, c.h);
    EXPECT_EQ(at.x, c.origin.x) << c.raw.left << " zoom " << c.zoom;
    EXPECT_EQ(at.y, c.origin.y) << c.raw.top << " zoom " << c.zoom;
  }
}

QString Field(QWidget& w, const char* name) { return w.findChild<QLineEdit*>(name)->text(); }

TEST(SetCol, NeedleModeShowsExtentsAndRedrawsOnResize) {
  TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = designmaker::MakeDesign(0, 2000, 3000, "rose");
  TFSetCol dialog(nullptr, 0, &palette, &design, TColorFrameMode::DialogNeedles);
  dialog.show();
  QTest::qWait(10);
  EXPECT_TRUE(dialog.findChild<QWidget*>("SaveBtn")->isHidden());
  EXPECT_FALSE(dialog.findChild<QWidget*>("X1Edt")->isHidden());
  EXPECT_EQ(Field(dialog, "StitchEdt").toInt(), design.GetStitchSize(0));
  EXPECT_EQ(Field(dialog, "ScaleEdt"), QString("%1%").arg(dialog.Zoom()));
  const int bigZoom = dialog.Zoom();
  dialog.resize(500, 420);
  QTest::qWait(10);
  EXPECT_LT(dialog.Zoom(), bigZoom);
  EXPECT_EQ(Field(dialog, "ScaleEdt"), QString("%1%").arg(dialog.Zoom()));
}

TEST(SetCol, WithoutADesignNothingIsDrawnOrFilled) {
  TColorInfo palette = MakePalette(15, 0x30);
  TFSetCol dialog(nullptr, 0, &palette, nullptr, TColorFrameMode::Recolour);
  dialog.show();
  QTest::qWait(10);
  EXPECT_EQ(Field(dialog, "WidthEdt"), "");
  EXPECT_EQ(Field(dialog, "StitchEdt"), "");
}

TEST(SetCol, NoMarkStaysHoweverTheDialogCloses) {
  for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
    TColorInfo palette = MakePalette(15, 0x30);
    TStitchItem design = FourBlocks();
    TFSetCol dialog(nullptr, 0, &palette, &design, TColorFrameMode::DialogNeedles);
    QTimer::singleShot(0, &dialog, [&] {
      QTest::mouseClick(dialog.ColorFrame().PanelDstColor(), Qt::LeftButton, {}, QPoint(50, 58));
      EXPECT_EQ(design.Colors[1].Mark, 1);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(&dialog, &press);
    });
    dialog.exec();
    for (const TEmbColor& c : design.Colors) EXPECT_EQ(c.Mark, 0) << key;
  }
}

TEST(QueuedColours, TheDialogEditsACopyAndWritesBackOnlyToTheSameDesign) {
  const TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem queued = FourBlocks();
  queued.SetUniqueID(7);
  const TSetColRunner assign = [](QWidget*, int, TColorInfo&, TStitchItem& copy) {
    copy.Colors[2].Index = 5;
    copy.SetMark(2);
  };
  // The design left the queue while the dialog ran.
  EXPECT_FALSE(EditQueuedColours(
      nullptr, 0, palette, queued, kBackWhite, [] { return nullptr; }, assign));
  // Another design took its place.
  TStitchItem other = FourBlocks();
  other.SetUniqueID(8);
  EXPECT_FALSE(EditQueuedColours(
      nullptr, 0, palette, queued, kBackWhite, [&] { return &other; }, assign));
  EXPECT_EQ(other.Colors[2].Index, kNoPaletteIndex);
  // Still there: the assignment arrives, without the mark.
  EXPECT_TRUE(EditQueuedColours(
      nullptr, 0, palette, queued, kBackWhite, [&] { return &queued; }, assign));
  EXPECT_EQ(queued.Colors[2].Index, 5);
  EXPECT_EQ(queued.Colors[2].Mark, 0);
}

TEST(SetCol, Screenshot) {
  TColorInfo palette = MakePalette(15, 0x30);
  for (int i = 0; i < palette.GetCount(); ++i)
    palette.SetColor(i, designmaker::kThreads[i % 8].color);
  TStitchItem design = designmaker::MakeDesign(0, 3000, 900, "Bluebell", 1);
  TFSetCol dialog(nullptr, 0, &palette, &design, TColorFrameMode::Recolour);
  dialog.show();
  QTest::qWait(10);
  QTest::mouseClick(dialog.ColorFrame().PanelDstColor(), Qt::LeftButton, {}, QPoint(50, 58));
  QTest::qWait(10);
  EXPECT_FALSE(SaveScreenshot(dialog, "setcol_browse").isEmpty());
  TFSetCol needles(nullptr, 0, &palette, &design, TColorFrameMode::DialogNeedles);
  needles.show();
  QTest::qWait(10);
  EXPECT_FALSE(SaveScreenshot(needles, "setcol_needles").isEmpty());
}

}  // namespace
