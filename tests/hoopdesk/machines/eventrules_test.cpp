// The rules behind the event sink and the poll, as tables.
#include <gtest/gtest.h>

#include <climits>

#include "hoopdesk/machines/eventrules.h"
#include "pelsrvapi/pelservice_tlb.h"

namespace {

TEST(SewingPercent, SixtyFourBitsClampedAndAFinishedDesignShowsZero) {
  struct Case {
    std::int32_t pos, max, percent;
  };
  const Case cases[] = {
      {0, 0, 0},
      {5, 0, 0},
      {5, -3, 0},
      {50, 100, 50},
      {99, 100, 99},
      {100, 100, 0},
      {250, 100, 0},
      {-5, 100, 0},
      {30'000'000, 40'000'000, 75},
      {INT_MAX, INT_MAX, 0},
      {INT_MAX - 1, INT_MAX, 99},
      {21'474'837, 21'474'837 * 2, 50},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SewingPercent(c.pos, c.max), c.percent) << c.pos << " of " << c.max;
}

TEST(SendStopEffect, OnlyANormalEndRemovesTheDesign) {
  EXPECT_EQ(SendStopEffect(RES_STATE_NORMAL), TSendStopEffect::RemoveHead);
  EXPECT_EQ(SendStopEffect(RES_STATE_CANCELED), TSendStopEffect::ClearAlarm);
  EXPECT_EQ(SendStopEffect(RES_STATE_ERROR), TSendStopEffect::Alarm);
  EXPECT_EQ(SendStopEffect(RES_STATE_BUSY), TSendStopEffect::Alarm);
  EXPECT_EQ(SendStopEffect(4), TSendStopEffect::None);
  EXPECT_EQ(SendStopEffect(-1), TSendStopEffect::None);
}

TEST(IsPlainSendName, OnlyOneFileNameOfTheSendFolder) {
  struct Case {
    const char* name;
    bool plain;
  };
  const Case cases[] = {{"2612a001.10o", true}, {"rose", true},         {"", false},
                        {".", false},           {"..", false},          {"../x", false},
                        {"a/b", false},         {"/etc/passwd", false}, {"a\\b", false},
                        {"a\tb", false},        {"..x", true}};
  for (const Case& c : cases) EXPECT_EQ(IsPlainSendName(c.name), c.plain) << c.name;
  EXPECT_FALSE(IsPlainSendName(std::string(256, 'a')));
  EXPECT_FALSE(IsPlainSendName(std::string("a\0b", 3)));
}

TEST(NextBlinkStep, ABusyAlarmEndsAfterElevenStepsAnErrorBlinksOn) {
  struct Case {
    std::int32_t mode, ticks;
    TBlinkStep step;
  };
  const Case cases[] = {
      {0, 0, TBlinkStep::None},   {1, -1, TBlinkStep::None},    {2, -1, TBlinkStep::None},
      {2, 0, TBlinkStep::Blink},  {2, 10, TBlinkStep::Blink},   {2, 11, TBlinkStep::ClearItself},
      {1, 11, TBlinkStep::Blink}, {1, 1000, TBlinkStep::Blink},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NextBlinkStep(c.mode, c.ticks), c.step) << c.mode << "/" << c.ticks;
}

}  // namespace
