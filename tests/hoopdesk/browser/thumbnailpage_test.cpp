// The thumbnail page's arithmetic: which file a slot shows, its caption, the selection frame's
// slot, the slots' places and the panel's parts after a resize.
#include "hoopdesk/browser/thumbnailpage.h"

#include <gtest/gtest.h>

namespace {

TEST(ThumbnailPage, SlotsShowTwoFilesARowFromTheTopRow) {
  const struct {
    int top, count, slot;
    int index;
    bool shown;
  } cases[] = {
      {0, 10, 0, 0, true},  {0, 10, 7, 7, true},
      {1, 10, 7, 9, true},  {1, 9, 7, 9, false},  // the last row holds one thumbnail
      {1, 9, 6, 8, true},   {4, 9, 0, 8, true},
      {4, 9, 1, 9, false},  {0, 0, 0, 0, false},  // an empty folder shows nothing
      {3, 40, 5, 11, true},
  };
  for (const auto& c : cases) {
    const TThumbnailPage page(c.top, c.count);
    EXPECT_EQ(page.FileIndex(c.slot), c.index) << c.top << "/" << c.slot;
    EXPECT_EQ(page.Shown(c.slot), c.shown) << c.top << "/" << c.slot << " of " << c.count;
  }
}

TEST(ThumbnailPage, TheSelectionFrameGoesRoundTheSlotOfTheSelectedFile) {
  const struct {
    int top, selected, slot;
  } cases[] = {
      {0, -1, -1}, {0, 0, 0},  {0, 7, 7},  {0, 8, -1},  // the next page
      {2, 3, -1},                                       // scrolled past it
      {2, 4, 0},   {2, 11, 7}, {5, 13, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TThumbnailPage(c.top, 100).SlotOf(c.selected), c.slot) << c.top << " " << c.selected;
}

TEST(ThumbnailPage, CaptionsLoseTheExtensionAndKeepTwelveCharacters) {
  const struct {
    const char* name;
    const char* caption;
  } cases[] = {
      {"Rose.10o", "Rose"},
      {"VeryLongDesignName.dst", "VeryLongDesi"},
      {"Twelve_chars.DSZ", "Twelve_chars"},
      {"a.b.dsb", "a.b"},
      {".10o", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TThumbnailPage::Caption(c.name), c.caption) << c.name;
}

TEST(ThumbnailPage, ImagesAndCaptionsSitInTwoColumnsOneRowEvery128Pixels) {
  const struct {
    int slot;
    QRect image, label;
  } cases[] = {
      {0, {16, 10, 100, 108}, {16, 120, 100, 14}},
      {1, {140, 10, 100, 108}, {140, 120, 100, 14}},
      {6, {16, 394, 100, 108}, {16, 504, 100, 14}},
      {7, {140, 394, 100, 108}, {140, 504, 100, 14}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TThumbnailPage::ImageRect(c.slot), c.image) << c.slot;
    EXPECT_EQ(TThumbnailPage::LabelRect(c.slot), c.label) << c.slot;
  }
}

TEST(PanelPart, TheContainerAndTheButtonAreCentredAndTheBarRunsDownItsRightEdge) {
  EXPECT_EQ(ContainerHeightFor(600), 535);
  EXPECT_EQ(ContainerHeightFor(100), 35);
  const struct {
    int partWidth;
    QSize container;  // as it took its height
    TPanelPartPlaces want;
  } cases[] = {
      {300, {275, 529}, {{12, 8}, {255, 0, 20, 529}, {111, 552}}},
      {275, {275, 144}, {{0, 8}, {255, 0, 20, 144}, {99, 167}}},
      {500, {275, 300}, {{112, 8}, {255, 0, 20, 300}, {211, 323}}},
      {200, {275, 529}, {{-37, 8}, {255, 0, 20, 529}, {61, 552}}},  // narrower than the page
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlacePanelPart(c.partWidth, c.container, 20, 77), c.want) << c.partWidth;
}

}  // namespace
