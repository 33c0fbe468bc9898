#include "hoopdesk/colours/fcolorsetting.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "colourfixture.h"
#include "hoopdesk/colours/colordialoghook.h"
#include "hoopdesk/controls/paintpanel.h"
#include "hoopdesk/screenshot.h"

namespace {

// The middle of palette row r, in its panel.
QPoint RowPoint(int r) { return {50, 8 + 40 * r + 16}; }

class FColorSettingTest : public ColourTableTest {
 protected:
  void Open(int machine) {
    dialog_ = std::make_unique<TFColorSetting>(nullptr, machine, system_, machines_);
    dialog_->show();
    right_ = dialog_->findChild<TPaintPanel*>("RightPaintPanel");
    left_ = dialog_->findChild<TPaintPanel*>("LeftPaintPanel");
    ASSERT_TRUE(right_ && left_);
  }
  void TearDown() override {
    dialog_.reset();
    SetColorDialogHook({});
    ColourTableTest::TearDown();
  }

  // Mouse events as the right panel gets them while its button is held: press, moves and the
  // release all go to it, with points in its own coordinates.
  void Send(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, at, right_->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(right_, &e);
  }
  void Drag(int fromRow, QWidget* onto, QPoint ontoPoint, const char* screenshot = nullptr) {
    const QPoint end = right_->mapFromGlobal(onto->mapToGlobal(ontoPoint));
    Send(QEvent::MouseButtonPress, RowPoint(fromRow), Qt::LeftButton);
    Send(QEvent::MouseMove, RowPoint(fromRow) + QPoint(3, 3), Qt::LeftButton);
    Send(QEvent::MouseMove, end, Qt::LeftButton);
    if (screenshot) SaveScreenshot(*dialog_, screenshot);
    Send(QEvent::MouseButtonRelease, end, Qt::NoButton);
  }
  template <typename W>
  W* Child(const char* name) {
    return dialog_->findChild<W*>(name);
  }

  std::unique_ptr<TFColorSetting> dialog_;
  TPaintPanel* right_ = nullptr;
  TPaintPanel* left_ = nullptr;
};

TEST_F(FColorSettingTest, ShowsBothPalettesAndTheMachineList) {
  system_.SetLabel(0, "Signal red");
  system_.SetLabel(1, "Sky");
  machines_.palettes[1].SetLabel(0, "Needle one");
  Open(1);
  EXPECT_EQ(dialog_->windowTitle(), "Color Setting");
  auto* cb = Child<QComboBox>("MachineCB");
  ASSERT_EQ(cb->count(), 2);
  EXPECT_EQ(cb->itemText(1), "COM2");
  EXPECT_EQ(cb->currentIndex(), 1);
  EXPECT_EQ(right_->height(), 2404);
  EXPECT_EQ(left_->height(), 604);
  EXPECT_EQ(dialog_->width(), 496);
  EXPECT_EQ(dialog_->maximumHeight(), 587);
  EXPECT_TRUE(Child<QPushButton>("OKBtn")->isDefault());
  EXPECT_FALSE(Child<QToolButton>("UpBtn")->isEnabled());
  EXPECT_TRUE(Child<QToolButton>("DownBtn")->isEnabled());
  // The selected row is blue with the swatch at x 38; the machine's first swatch is drawn.
  const QImage shot = right_->grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 10), QColor(0, 0, 255));
  EXPECT_NE(shot.pixelColor(54, 24), QColor(0, 0, 255));
  SaveScreenshot(*dialog_, "colour-settings");
}

TEST_F(FColorSettingTest, DraggingEntryTwoOntoRowFiveLandsAtFour) {
  Open(0);
  const COLORREF moved = system_.GetColor(1);
  Drag(1, right_, RowPoint(4));
  EXPECT_EQ(dialog_->Model().SelEntry(), 3);
  EXPECT_EQ(system_.GetColor(3), moved);
  // The picture that followed the pointer went with the drop, and the cursor came back.
  EXPECT_EQ(Child<QLabel>("DragImage"), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FColorSettingTest, ClosedInMidDragTheDialogTakesThePictureAndTheCursorWithIt) {
  Open(0);
  Send(QEvent::MouseButtonPress, RowPoint(1), Qt::LeftButton);
  Send(QEvent::MouseMove, RowPoint(1) + QPoint(3, 3), Qt::LeftButton);
  Send(QEvent::MouseMove, RowPoint(3), Qt::LeftButton);
  QLabel* picture = Child<QLabel>("DragImage");
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->isVisible());
  EXPECT_EQ(picture->geometry().center(),
            dialog_->mapFromGlobal(right_->mapToGlobal(RowPoint(3))) - QPoint(1, 1));
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::DragMoveCursor);  // over an entry
  dialog_.reset();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FColorSettingTest, DroppingOnAMachineEntryCopiesTheSystemColour) {
  system_.SetLabel(6, "Lime");
  machines_.palettes[0].SetFlag(2, false);
  Open(0);
  Drag(6, left_, RowPoint(2), "colour-settings-dragging");
  EXPECT_EQ(machines_.palettes[0].GetColor(2), system_.GetColor(6));
  EXPECT_EQ(machines_.palettes[0].GetLabel(2), "Lime");
  EXPECT_FALSE(machines_.palettes[0].GetFlag(2));
  EXPECT_EQ(system_.GetLabel(6), "Lime");  // the system palette stays as it was
}

TEST_F(FColorSettingTest, ADropBesideEveryRowChangesNothing) {
  Open(0);
  const COLORREF first = system_.GetColor(0);
  Drag(0, dialog_.get(), QPoint(2, 2));
  EXPECT_EQ(system_.GetColor(0), first);
  EXPECT_FALSE(system_.IsModified());
  EXPECT_FALSE(machines_.palettes[0].IsModified());
}

TEST_F(FColorSettingTest, OkWithoutAChangeLeavesTheTableAndTheServerAlone) {
  const auto before = Stamp();
  Open(0);
  Child<QPushButton>("OKBtn")->click();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(Stamp(), before);
  EXPECT_EQ(machines_.reloads, 0);
  EXPECT_FALSE(dialog_->Saved());
}

TEST_F(FColorSettingTest, EditsOfTheMachineLeftAreOnDiskAfterOk) {
  Open(0);
  Drag(8, left_, RowPoint(0));
  Child<QComboBox>("MachineCB")->setCurrentIndex(1);
  Drag(9, left_, RowPoint(1));
  Child<QPushButton>("OKBtn")->click();
  EXPECT_EQ(Load(SerialColorSection(0), 15).GetColor(0), BuiltinColor(8));
  EXPECT_EQ(Load(SerialColorSection(1), 15).GetColor(1), BuiltinColor(9));
  EXPECT_TRUE(dialog_->Saved());
  EXPECT_GE(machines_.reloads, 1);
}

TEST_F(FColorSettingTest, TheLabelAndColourDialogsEditTheSelectedEntry) {
  Open(0);
  Send(QEvent::MouseButtonPress, RowPoint(2), Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, RowPoint(2), Qt::NoButton);
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Edit Color Label");
    box->findChild<QLineEdit*>("ColLabelEdit")->setText("Gold");
    box->findChild<QPushButton*>("OKBtn")->click();
  });
  Child<QPushButton>("EditBtn")->click();
  EXPECT_EQ(system_.GetLabel(2), "Gold");

  COLORREF offered = 0;
  SetColorDialogHook([&](QWidget*, COLORREF start) -> std::optional<COLORREF> {
    offered = start;
    return RGB(10, 20, 30);
  });
  Child<QPushButton>("ColorBtn")->click();
  EXPECT_EQ(offered, BuiltinColor(2));
  EXPECT_EQ(system_.GetColor(2), RGB(10, 20, 30));
  SetColorDialogHook([](QWidget*, COLORREF) { return std::optional<COLORREF>(); });
  Child<QPushButton>("ColorBtn")->click();  // cancelled: unchanged
  EXPECT_EQ(system_.GetColor(2), RGB(10, 20, 30));
}

TEST_F(FColorSettingTest, ArrowKeysScrollTheSelectionIntoView) {
  Open(0);
  right_->setFocus();
  for (int i = 0; i < 30; ++i) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(right_, &key);
  }
  EXPECT_EQ(dialog_->Model().SelEntry(), 30);
  auto* box = Child<QScrollArea>("RightScrollBox");
  const int top = 8 + 40 * 30;
  const int shownFrom = box->verticalScrollBar()->value();
  EXPECT_LE(shownFrom, top);
  EXPECT_GE(shownFrom + box->viewport()->height(), top + 32);
}

}  // namespace
