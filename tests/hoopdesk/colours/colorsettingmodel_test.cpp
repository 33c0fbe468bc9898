#include "hoopdesk/colours/colorsettingmodel.h"

#include <gtest/gtest.h>

#include "colourfixture.h"

namespace {

using TButtons = TColorSettingModel::TButtons;

class ColorSettingModelTest : public ColourTableTest {
 protected:
  // A system palette of `count` entries named A, B, C, ...
  void Entries(int count) {
    while (system_.GetCount() > count) system_.Delete(system_.GetCount() - 1);
    for (int i = 0; i < count; ++i)
      system_.SetLabel(i, std::string(1, static_cast<char>('A' + i % 26)));
  }
  std::string Labels() const {
    std::string s;
    for (int i = 0; i < system_.GetCount(); ++i) s += system_.GetLabel(i);
    return s;
  }
};

TEST_F(ColorSettingModelTest, ButtonsFollowTheSelectionAndTheCount) {
  struct Row {
    int count;
    int press;  // row pressed, -1 none (the selection stays at its start, 0)
    bool deleteFirst;
    TButtons want;
  };
  const Row rows[] = {
      {60, -1, false, {false, true, true, true, false, true}},  // full: no Add
      {60, -1, true, {true, true, true, true, false, true}},    // one deleted: Add again
      {10, 5, false, {true, true, true, true, true, true}},
      {10, 9, false, {true, true, true, true, true, false}},  // last: no Down
      {1, 0, false, {true, true, true, true, false, false}},
      {0, -1, false, {true, false, false, false, false, false}},  // nothing to select
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "count " << row.count << " press " << row.press);
    Reset();
    Entries(row.count);
    TColorSettingModel model(system_, machines_, 0);
    if (row.press >= 0) {
      EXPECT_TRUE(model.Press(row.press));
    }
    if (row.deleteFirst) model.Delete();
    EXPECT_EQ(model.Buttons(), row.want);
  }
}

TEST_F(ColorSettingModelTest, DeletingKeepsASelectionInsideThePalette) {
  Entries(3);
  TColorSettingModel model(system_, machines_, 0);
  model.Press(2);
  model.Delete();  // the last entry: the new last one is selected
  EXPECT_EQ(model.SelEntry(), 1);
  EXPECT_EQ(Labels(), "AB");
  model.Press(0);
  model.Delete();
  EXPECT_EQ(model.SelEntry(), 0);
  model.Delete();  // the only entry: nothing selected, nothing to delete, label or colour
  EXPECT_EQ(model.SelEntry(), -1);
  EXPECT_EQ(model.Buttons(), (TButtons{true, false, false, false, false, false}));
  model.Delete();
  model.SetLabel("x");
  EXPECT_EQ(system_.GetCount(), 0);
}

TEST_F(ColorSettingModelTest, DropsOnTheSystemPaletteMoveTheEntryAndFollowIt) {
  struct Row {
    int from, onto;
    int want;
    const char* labels;
  };
  const Row rows[] = {
      {1, 4, 3, "ACDBEF"},  // entry 2 onto row 5 lands at position 4
      {4, 1, 1, "AEBCDF"},  // entry 5 onto row 2 lands at 2
      {0, 6, 5, "BCDEFA"},  // the row after the last: to the end
      {2, 7, 2, "ABCDEF"},  // beyond: refused
      {2, 2, 2, "ABCDEF"},  // onto itself
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.from << " onto " << row.onto);
    Reset();
    Entries(6);
    TColorSettingModel model(system_, machines_, 0);
    ASSERT_TRUE(model.BeginDrag(row.from));
    model.DropOnSystem(row.onto);
    EXPECT_EQ(model.SelEntry(), row.want);
    EXPECT_EQ(Labels(), row.labels);
  }
}

TEST_F(ColorSettingModelTest, ADropOnAMachineEntryCopiesColourAndLabelButNotTheFlag) {
  Entries(6);
  system_.SetColor(4, RGB(1, 2, 3));
  TColorInfo& needles = machines_.palettes[1];
  needles.SetFlag(2, false);
  TColorSettingModel model(system_, machines_, 1);
  ASSERT_TRUE(model.BeginDrag(4));
  EXPECT_TRUE(model.DropOnMachine(2));
  EXPECT_EQ(needles.GetColor(2), RGB(1, 2, 3));
  EXPECT_EQ(needles.GetLabel(2), "E");
  EXPECT_FALSE(needles.GetFlag(2));
  EXPECT_FALSE(model.DropOnMachine(15));
  EXPECT_FALSE(machines_.palettes[0].IsModified());
}

TEST_F(ColorSettingModelTest, AddInsertsBeforeTheSelectionOrAppends) {
  Entries(3);
  TColorSettingModel model(system_, machines_, 0);
  model.Press(1);
  model.Add();
  EXPECT_EQ(model.SelEntry(), 1);
  EXPECT_EQ(system_.GetColor(1), RGB(255, 255, 255));
  EXPECT_EQ(system_.GetLabel(1), "");
  EXPECT_TRUE(system_.GetFlag(1));
  model.Press(3);
  model.Delete();
  model.Delete();
  model.Delete();
  model.Delete();
  EXPECT_EQ(model.SelEntry(), -1);
  model.Add();  // nothing selected: appended
  EXPECT_EQ(model.SelEntry(), 0);
  EXPECT_EQ(system_.GetCount(), 1);
}

TEST_F(ColorSettingModelTest, UpDownAndArrowsStayInsideThePalette) {
  Entries(3);
  TColorSettingModel model(system_, machines_, 0);
  EXPECT_FALSE(model.Up());
  EXPECT_TRUE(model.Down());
  EXPECT_EQ(Labels(), "BAC");
  EXPECT_EQ(model.SelEntry(), 1);
  EXPECT_TRUE(model.Down());
  EXPECT_FALSE(model.Down());
  EXPECT_EQ(Labels(), "BCA");
  EXPECT_TRUE(model.Up());
  EXPECT_EQ(model.SelEntry(), 1);
  EXPECT_TRUE(model.Step(+1));
  EXPECT_FALSE(model.Step(+1));
  EXPECT_TRUE(model.Step(-2));
  EXPECT_FALSE(model.Step(-1));
  EXPECT_EQ(model.SelEntry(), 0);
}

TEST_F(ColorSettingModelTest, NothingChangedWritesNothingAndAsksNoReload) {
  const auto before = Stamp();
  TColorSettingModel model(system_, machines_, 0);
  model.ChangeMachine(1);
  model.SaveTables();
  EXPECT_EQ(Stamp(), before);
  EXPECT_EQ(machines_.reloads, 0);
  EXPECT_FALSE(model.Saved());
}

TEST_F(ColorSettingModelTest, TheMachineLeftKeepsItsEditsOnDisk) {
  TColorSettingModel model(system_, machines_, 0);
  ASSERT_TRUE(model.BeginDrag(10));
  ASSERT_TRUE(model.DropOnMachine(3));
  model.ChangeMachine(1);  // machine A's palette is written as the dialog leaves it
  EXPECT_TRUE(model.Saved());
  EXPECT_EQ(machines_.reloads, 1);
  model.SaveTables();
  EXPECT_EQ(Load(SerialColorSection(0), 15).GetColor(3), BuiltinColor(10));
  EXPECT_FALSE(machines_.palettes[0].IsModified());
}

TEST_F(ColorSettingModelTest, ASystemEditIsWrittenAndTheServerRereadsIt) {
  TColorSettingModel model(system_, machines_, 0);
  model.Press(0);
  model.SetLabel("Scarlet");
  model.SaveTables();
  EXPECT_EQ(Load("SysColor", 60).GetLabel(0), "Scarlet");
  EXPECT_EQ(machines_.reloads, 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ColorSettingModelTest, ATableThatCannotBeWrittenIsReportedWithItsPath) {
  const std::string blocked = (std::filesystem::path(path_).parent_path() / "dir").string();
  std::filesystem::create_directory(blocked);
  system_.SetFileName(blocked);  // a folder where the file should be
  TColorSettingModel model(system_, machines_, -1);
  model.Press(0);
  model.SetColor(RGB(9, 9, 9));
  model.SaveTables();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "Failed to save a file: " + blocked);
  EXPECT_TRUE(system_.IsModified());  // kept, so a later save can still write it
  EXPECT_EQ(machines_.reloads, 0);
}

}  // namespace
