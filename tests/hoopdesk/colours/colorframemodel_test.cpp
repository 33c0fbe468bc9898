// The colour frame's rules without its widgets: marks, drags and drops by frame mode, check
// boxes, the machine's palette looked up at every use.
#include "hoopdesk/colours/colorframemodel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framefixture.h"
#include "shared/colorinfo.h"

namespace {

using TRefresh = TColorFrameModel::TRefresh;

// The main window's binding: two machines' palettes and a design of four blocks.
class MainModel : public ::testing::Test {
 protected:
  MainModel() {
    palettes.push_back(std::make_unique<TColorInfo>(MakePalette(15, 0x30)));
    palettes.push_back(std::make_unique<TColorInfo>(MakePalette(12, 0x90)));
    lookup = [this](int i) -> TColorInfo* {
      return i >= 0 && i < static_cast<int>(palettes.size()) ? palettes[i].get() : nullptr;
    };
    model.SetupMain(&design);
    model.SetDataMode(false);
    model.ChooseMachine(0);
    model.TakeChanged();
  }

  TStitchItem design = FourBlocks();
  std::vector<std::unique_ptr<TColorInfo>> palettes;
  TColorFrameModel::TMachinePalette lookup;
  TColorFrameModel model{lookup};
};

TEST_F(MainModel, PressesMarkOneBlockAtATime) {
  const struct {
    int press;
    bool taken;
    int selDst;  // after the press
  } presses[] = {
      {1, true, 1},  {1, true, -1},   // pressed again: unmarked, nothing selected
      {2, true, 2},  {3, true, 3},    // another block takes the mark
      {4, false, 3}, {-1, false, 3},  // beside every block: nothing changes
  };
  for (const auto& p : presses) {
    EXPECT_EQ(model.PressBlock(p.press), p.taken) << p.press;
    EXPECT_EQ(model.SelDst(), p.selDst) << p.press;
    EXPECT_EQ(model.TakeChanged(), p.taken) << p.press;
    for (int b = 0; b < 4; ++b) EXPECT_EQ(design.Colors[b].Mark, b == p.selDst ? 1 : 0) << b;
  }
}

// Set up again over the same design (machines came or went), the marked block is no longer
// chosen and no longer marked: the layout would otherwise draw it inverted for good.
TEST_F(MainModel, SettingUpTheSameDesignAgainDropsItsMark) {
  ASSERT_TRUE(model.PressBlock(2));
  model.SetupMain(&design);
  EXPECT_EQ(model.SelDst(), -1);
  for (int b = 0; b < 4; ++b) EXPECT_EQ(design.Colors[b].Mark, 0) << b;
  ASSERT_TRUE(model.PressBlock(2));  // pressed again: marked, not unmarked
  EXPECT_EQ(design.Colors[2].Mark, 1);
  EXPECT_EQ(model.SelDst(), 2);
}

TEST_F(MainModel, ADropAssignsTheEntryAsNeedleAndClearsTheMark) {
  ASSERT_TRUE(model.PressBlock(2));
  ASSERT_TRUE(model.PressEntry(5));
  ASSERT_TRUE(model.CanDrag());
  EXPECT_TRUE(model.CanDropOn(2));
  ASSERT_TRUE(model.Drop(2));
  EXPECT_EQ(design.Colors[2].Index, 5);
  EXPECT_EQ(design.Colors[2].Mark, 0);
  EXPECT_EQ(model.SelDst(), -1);
  EXPECT_EQ(model.Mappings().Count(), 1);
  EXPECT_TRUE(model.TakeChanged());
  EXPECT_EQ(model.BlockText(2, true), "Needle 6");
  EXPECT_EQ(model.BlockText(2, false), "Thread 3");
}

TEST_F(MainModel, DropsThatChangeNothing) {
  const struct {
    const char* what;
    bool dataMode;
    int entry;  // pressed palette row
    int block;
  } cases[] = {
      {"data colours shown", true, 5, 2},
      {"beside every block", false, 5, -1},
      {"past the last block", false, 5, 4},
      {"no entry selected", false, -1, 2},
  };
  for (const auto& c : cases) {
    TColorFrameModel fresh{lookup};
    TStitchItem d = FourBlocks();
    fresh.SetupMain(&d);
    fresh.SetDataMode(c.dataMode);
    fresh.ChooseMachine(0);
    fresh.TakeChanged();
    fresh.PressEntry(c.entry);
    const auto before = d.Colors;
    EXPECT_FALSE(fresh.Drop(c.block)) << c.what;
    EXPECT_EQ(d.Colors, before) << c.what;
    EXPECT_EQ(fresh.Mappings().Count(), 0) << c.what;
    EXPECT_FALSE(fresh.TakeChanged()) << c.what;
  }
}

TEST_F(MainModel, ACheckBoxRematchesKeepsTheAssignmentsAndSaysWhatToRedraw) {
  model.PressEntry(3);
  ASSERT_TRUE(model.Drop(2));
  const struct {
    bool dataMode;
    TRefresh want;
  } cases[] = {{false, {true, true}}, {true, {false, false}}};
  for (const auto& c : cases) {
    model.SetDataMode(c.dataMode);
    EXPECT_EQ(model.Check(3, false), c.want) << c.dataMode;
    EXPECT_FALSE(palettes[0]->GetFlag(3));
    EXPECT_EQ(design.Colors[2].Index, 3);  // the assignment survives the automatic match
    EXPECT_TRUE(model.TakeChanged());
    model.Check(3, true);
  }
  // Without a palette a check box changes nothing.
  model.ChooseMachine(7);
  EXPECT_EQ(model.Check(0, false), TRefresh{});
}

TEST_F(MainModel, AnotherMachineDropsTheAssignmentsAndIsLookedUpAtEveryUse) {
  model.PressEntry(3);
  ASSERT_TRUE(model.Drop(2));
  const std::optional<TRefresh> refresh = model.ChooseMachine(1);
  ASSERT_TRUE(refresh.has_value());
  EXPECT_TRUE(refresh->names);
  EXPECT_EQ(model.Mappings().Count(), 0);
  EXPECT_EQ(model.Palette(), palettes[1].get());
  // The machine's record is replaced (the list was rebuilt): the new palette is used.
  palettes[1] = std::make_unique<TColorInfo>(MakePalette(15, 0x50));
  EXPECT_EQ(model.Palette(), palettes[1].get());
  palettes.clear();
  EXPECT_EQ(model.Palette(), nullptr);
  EXPECT_FALSE(model.CanDrag());
  EXPECT_FALSE(model.Step(1));
  // Without a way to look machines up nothing is chosen.
  TColorFrameModel::TMachinePalette none;
  TColorFrameModel alone{none};
  EXPECT_FALSE(alone.ChooseMachine(0).has_value());
}

TEST_F(MainModel, ArrowKeysStayInsideThePalette) {
  model.PressEntry(0);
  EXPECT_FALSE(model.Step(-1));
  EXPECT_EQ(model.SelSrc(), 0);
  for (int i = 0; i < 20; ++i) model.Step(1);
  EXPECT_EQ(model.SelSrc(), 14);
}

TEST(DialogModel, DragsAndColourEditsByFrameMode) {
  const struct {
    TColorFrameMode mode;
    bool flag;  // of the dragged entry
    bool canDrag;
    bool canRecolour;
  } cases[] = {
      {TColorFrameMode::Recolour, true, true, true},
      {TColorFrameMode::Recolour, false, true, true},
      {TColorFrameMode::DialogNeedles, true, true, false},
      {TColorFrameMode::DialogNeedles, false, false, false},  // cannot be chosen: stays put
  };
  for (const auto& c : cases) {
    TColorInfo palette = MakePalette(15, 0x30);
    palette.SetFlag(4, c.flag);
    TStitchItem design = FourBlocks();
    TColorFrameModel::TMachinePalette none;
    TColorFrameModel model{none};
    model.SetupDialog(&design, &palette, c.mode);
    EXPECT_FALSE(model.DataMode());
    ASSERT_TRUE(model.PressEntry(4));
    EXPECT_EQ(model.CanDrag(), c.canDrag);
    EXPECT_EQ(model.CanRecolourEntry(), c.canRecolour);
    EXPECT_EQ(model.RecolourEntry(0x123456), c.canRecolour);
    EXPECT_EQ(palette.GetColor(4) == 0x123456, c.canRecolour);
  }
}

TEST(DialogModel, RecolouringCopiesColourAndLabelAndNamesCanBeEdited) {
  TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  TColorFrameModel::TMachinePalette none;
  TColorFrameModel model{none};
  model.SetupDialog(&design, &palette, TColorFrameMode::Recolour);
  model.PressEntry(6);
  ASSERT_TRUE(model.Drop(1));
  EXPECT_EQ(design.Colors[1].Color, palette.GetColor(6));
  EXPECT_EQ(model.BlockText(1, false), "Needle 7");
  EXPECT_EQ(model.Mappings().Count(), 0);
  model.SetBlockName(1, "Rose red");
  EXPECT_EQ(design.Colors[1].Name, "Rose red");
  model.SetBlockName(9, "none");  // no such block
  EXPECT_EQ(model.BlockText(9, false), "");
}

}  // namespace
