#include "hoopdesk/settings/settingchecks.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingChecks, ValuesThatWouldHarmAreReplaced) {
  struct Row {
    std::int32_t (*check)(std::int32_t);
    std::int32_t stored, used;
  };
  const Row rows[] = {
      {CheckedBaudRate, 9600, 9600},   {CheckedBaudRate, 19200, 19200},
      {CheckedBaudRate, 38400, 38400}, {CheckedBaudRate, 115200, 9600},
      {CheckedBaudRate, 0, 9600},      {CheckedBaudRate, -9600, 9600},
      {CheckedRotSpeed, 555, 555},     {CheckedRotSpeed, 120, 120},
      {CheckedRotSpeed, 1200, 1200},   {CheckedRotSpeed, 1210, 500},
      {CheckedRotSpeed, -500, 500},    {CheckedRotSpeed, 0, 500},
      {CheckedExpireDays, 0, 0},       {CheckedExpireDays, 100000, 100000},
      {CheckedExpireDays, -1, 3},      {CheckedExpireFiles, 0, 0},
      {CheckedExpireFiles, -5, 30},    {CheckedExpireFiles, INT32_MIN, 30},
  };
  for (const Row& row : rows) EXPECT_EQ(row.check(row.stored), row.used) << row.stored;
}

TEST(SettingChecks, PanelWidthIsPositiveAndFits) {
  EXPECT_EQ(CheckedPanelWidth(0, 800), 315);
  EXPECT_EQ(CheckedPanelWidth(-20, 800), 315);
  EXPECT_EQ(CheckedPanelWidth(400, 800), 400);
  EXPECT_EQ(CheckedPanelWidth(5000, 800), 800);
  EXPECT_EQ(CheckedPanelWidth(5000, 0), 5000);
}

TWindowPlacement Normal(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  TWindowPlacement p{44, 0, 1, -1, -1, -1, -1, l, t, r, b};
  return p;
}

TEST(SettingChecks, PlacementLandsOnAPresentScreen) {
  const QList<QRect> twoScreens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  struct Row {
    const char* what;
    TWindowPlacement stored;
    QList<QRect> screens;
    TWindowPlacement used;
  };
  const Row rows[] = {
      {"inside stays", Normal(10, 20, 1032, 772), twoScreens, Normal(10, 20, 1032, 772)},
      {"on the second screen stays", Normal(2000, 10, 2800, 610), twoScreens,
       Normal(2000, 10, 2800, 610)},
      {"of a screen that is gone moves to the first", Normal(3300, 100, 4300, 800), twoScreens,
       Normal(920, 100, 1920, 800)},
      {"partly off pulls in",
       Normal(1500, 700, 2400, 1400),
       {QRect(0, 0, 1920, 1080)},
       Normal(1020, 380, 1920, 1080)},
      {"larger than the screen shrinks",
       Normal(-50, -50, 2000, 1200),
       {QRect(0, 0, 1024, 768)},
       Normal(0, 0, 1024, 768)},
      {"overlapping most wins", Normal(1800, 0, 2600, 600), twoScreens, Normal(1920, 0, 2720, 600)},
      {"no area takes the first-run size", Normal(500, 500, 500, 100), twoScreens,
       Normal(0, 0, 1022, 752)},
      {"extreme corners do not overflow", Normal(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
       twoScreens, Normal(0, 0, 1022, 752)},
      {"no screens leaves it", Normal(-9000, 0, -8000, 600), {}, Normal(-9000, 0, -8000, 600)},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ClampPlacement(row.stored, row.screens), row.used) << row.what;
}

TEST(SettingChecks, PlacementKeepsItsOtherFields) {
  TWindowPlacement p = Normal(5000, 0, 5800, 600);
  p.flags = 2;
  p.showCmd = 3;
  const TWindowPlacement used = ClampPlacement(p, {QRect(0, 0, 1024, 768)});
  EXPECT_EQ(used.flags, 2);
  EXPECT_EQ(used.showCmd, 3);
  EXPECT_EQ(used.minX, -1);
}

}  // namespace
