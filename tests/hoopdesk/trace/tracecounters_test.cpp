// The texts of a trace frame: header, counters, remaining memory and run state.
#include <gtest/gtest.h>

#include <climits>

#include "hoopdesk/trace/tracecounters.h"

namespace {

struct CounterCase {
  std::int32_t total, current, speed, needle;
  const char *stitches, *speedText, *minutes, *seconds;
};

class TraceCounters : public testing::TestWithParam<CounterCase> {};

TEST_P(TraceCounters, ShowStitchesSpeedAndRemainingTime) {
  const CounterCase& c = GetParam();
  const TTraceCounterTexts t = TraceCounterTexts(c.current, c.total, c.speed, c.needle);
  EXPECT_EQ(t.stitches, c.stitches);
  EXPECT_EQ(t.speed, c.speedText);
  EXPECT_EQ(t.needle, std::to_string(c.needle));
  EXPECT_EQ(t.minutes, c.minutes);
  EXPECT_EQ(t.seconds, c.seconds);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TraceCounters,
    testing::Values(
        // 600 stitches a minute: 10 a second, 750 left take 75 s.
        CounterCase{1000, 250, 600, 3, "250/1000 (25%)", " 600", "1", "15"},
        CounterCase{1000, 250, 0, 1, "250/1000 (25%)", "   0", "0", "00"},
        // Below 60 a minute nothing is sewn in a whole second: no time is given.
        CounterCase{1000, 250, 59, 1, "250/1000 (25%)", "  59", "0", "00"},
        // The last partial second counts: 7 left at 5 a second take 2 s.
        CounterCase{100, 93, 300, 12, "93/100 (93%)", " 300", "0", "02"},
        CounterCase{0, 0, 600, 1, "0/0 (0%)", " 600", "0", "00"},
        CounterCase{1000, 1000, 1200, 15, "1000/1000 (100%)", "1200", "0", "00"},
        // Counts whose percent overflows 32 bits.
        CounterCase{40'000'000, 30'000'000, 600, 4, "30000000/40000000 (75%)", " 600", "16666",
                    "40"},
        CounterCase{INT_MAX, INT_MAX - 1, 600, 2, "2147483646/2147483647 (99%)", " 600", "0", "01"},
        CounterCase{INT_MAX, 0, 60, 2, "0/2147483647 (0%)", "  60", "35791394", "07"},
        // A machine past its total, or before its first stitch: within 0 to 100, never
        // a negative time.
        CounterCase{1000, 1500, 600, 1, "1500/1000 (100%)", " 600", "0", "00"},
        CounterCase{1000, -5, 600, 1, "-5/1000 (0%)", " 600", "1", "41"},
        CounterCase{-3, 10, 600, 1, "10/-3 (0%)", " 600", "0", "00"}));

TEST(TraceSpeed, TensOfStitchesAMinuteWithinThirtyTwoBits) {
  const struct {
    std::int32_t speed, perMinute;
  } cases[] = {{60, 600}, {0, 0}, {-4, -40}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(TraceSpeedPerMinute(c.speed), c.perMinute) << c.speed;
}

TEST(TraceHeader, NamesTheMachineTheFileWithoutFolderAndExtensionAndTheTitle) {
  const struct {
    const char *address, *file, *title, *header;
  } cases[] = {
      {"machine-1", "0000001.10o", "Rose", "machine-1: 0000001[Rose]"},
      {"192.168.0.7", "sub/0000002.dst", "", "192.168.0.7: 0000002[]"},
      {"COM3", "rose.tar.10o", "R", "COM3: rose.tar[R]"},
      {"", "", "", ": []"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TraceHeaderText(c.address, c.file, c.title), c.header) << c.file;
}

TEST(TraceMemory, IsRightAlignedInSixCharacters) {
  EXPECT_EQ(TraceMemoryText(1234), "  1234");
  EXPECT_EQ(TraceMemoryText(0), "     0");
  EXPECT_EQ(TraceMemoryText(12345678), "12345678");
}

TEST(TraceState, TextOfEachProgressCode) {
  struct Case {
    std::uint8_t code;
    std::int32_t position;
    std::int32_t id;
  };
  for (const Case& c :
       {Case{0x11, 40, 257}, Case{0x12, 0, 260}, Case{0x12, 5, 256}, Case{0x13, 900, 258},
        Case{0x1E, 12, 259}, Case{0x00, 0, 0}, Case{0x14, 3, 0}})
    EXPECT_EQ(TraceStateTextId(c.code, c.position), c.id)
        << "code " << int{c.code} << " at " << c.position;
}

}  // namespace
