#include "hoopdesk/colours/colormappings.h"

#include <gtest/gtest.h>

#include "framefixture.h"

namespace {

TEST(ColorMappings, AnAssignmentSurvivesTheNextAutomaticMatch) {
  TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  TColorMappings mappings;
  ASSERT_TRUE(DropPaletteEntry(design, 2, palette, 3, TColorFrameMode::MainNeedles, mappings));
  EXPECT_EQ(design.Colors[2].Index, 3);
  palette.SetFlag(3, false);  // the match may no longer choose entry 3
  mappings.Apply(design, &palette);
  EXPECT_EQ(design.Colors[2].Index, 3);
  // Dropping again on the same block replaces the assignment.
  ASSERT_TRUE(DropPaletteEntry(design, 2, palette, 7, TColorFrameMode::MainNeedles, mappings));
  EXPECT_EQ(mappings.Count(), 1);
  mappings.Apply(design, &palette);
  EXPECT_EQ(design.Colors[2].Index, 7);
}

TEST(ColorMappings, RecolourCopiesColourAndLabelAndKeepsTheIndex) {
  const TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  design.Colors[1].Index = 9;
  design.SetMark(1);
  TColorMappings mappings;
  ASSERT_TRUE(DropPaletteEntry(design, 1, palette, 4, TColorFrameMode::Recolour, mappings));
  EXPECT_EQ(design.Colors[1].Color, palette.GetColor(4));
  EXPECT_EQ(design.Colors[1].Name, "Needle 5");
  EXPECT_EQ(design.Colors[1].Index, 9);
  EXPECT_EQ(design.Colors[1].Mark, 0);
  EXPECT_EQ(mappings.Count(), 0);
}

TEST(ColorMappings, DropsOutOfRangeChangeNothing) {
  const TColorInfo palette = MakePalette(15, 0x30);
  TStitchItem design = FourBlocks();
  const TStitchItem before = design;
  TColorMappings mappings;
  for (const auto& [block, entry] : {std::pair{4, 0}, {-1, 0}, {0, 15}, {0, -1}})
    EXPECT_FALSE(
        DropPaletteEntry(design, block, palette, entry, TColorFrameMode::MainNeedles, mappings));
  EXPECT_EQ(design.Colors, before.Colors);
  EXPECT_EQ(mappings.Count(), 0);
}

}  // namespace
