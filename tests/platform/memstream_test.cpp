#include "platform/memstream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using platform::MemStream;
using Origin = platform::MemStream::SeekOrigin;

TEST(MemStream, WriteGrowsAndReadStopsAtEnd) {
  MemStream s;
  const std::uint8_t data[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(s.Write(data, 5), 5u);
  EXPECT_EQ(s.size(), 5u);
  EXPECT_EQ(s.Position(), 5u);

  std::uint8_t buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 0u) << "nothing after the end";
  ASSERT_TRUE(s.Seek(1, Origin::Begin));
  EXPECT_EQ(s.Read(buf, 8), 4u);
  EXPECT_EQ(buf[0], 2);
  EXPECT_EQ(buf[3], 5);
}

TEST(MemStream, OverwriteInTheMiddleKeepsTheRest) {
  MemStream s(std::vector<std::uint8_t>{1, 2, 3, 4});
  ASSERT_TRUE(s.Seek(-3, Origin::End));
  const std::uint8_t x = 9;
  s.Write(&x, 1);
  EXPECT_EQ(s.Bytes(), (std::vector<std::uint8_t>{1, 9, 3, 4}));
  EXPECT_EQ(s.Position(), 2u);
}

TEST(MemStream, WritePastTheEndFillsTheGapWithZeros) {
  MemStream s;
  ASSERT_TRUE(s.Seek(3, Origin::Begin));
  std::uint8_t buf[4] = {};
  EXPECT_EQ(s.Read(buf, 4), 0u);
  const std::uint8_t x = 7;
  s.Write(&x, 1);
  EXPECT_EQ(s.Bytes(), (std::vector<std::uint8_t>{0, 0, 0, 7}));
}

TEST(MemStream, SeekRefusesPositionsBeforeTheStartOrBeyondRange) {
  MemStream s(std::vector<std::uint8_t>(10));
  ASSERT_TRUE(s.Seek(4, Origin::Begin));
  EXPECT_FALSE(s.Seek(-5, Origin::Current));
  EXPECT_FALSE(s.Seek(-11, Origin::End));
  EXPECT_FALSE(s.Seek(std::numeric_limits<std::int64_t>::max(), Origin::Current));
  EXPECT_FALSE(s.Seek(std::numeric_limits<std::int64_t>::min(), Origin::End));
  EXPECT_EQ(s.Position(), 4u) << "a refused seek leaves the position";
  EXPECT_TRUE(s.Seek(-4, Origin::Current));
  EXPECT_EQ(s.Position(), 0u);
}

TEST(MemStream, TakeBytesEmptiesTheStream) {
  MemStream s(std::vector<std::uint8_t>{1, 2});
  s.Seek(0, Origin::End);
  EXPECT_EQ(s.TakeBytes(), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(s.size(), 0u);
  EXPECT_EQ(s.Position(), 0u);
}
