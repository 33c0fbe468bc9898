#include "pelsrv/transferframe.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(TransferFrame, BlockCountCoversThreeBytesPerRecord) {
  struct Case {
    std::uint32_t total;
    std::int32_t blocks;
  };
  const Case cases[] = {{0, 0},   {1, 1},   {170, 1},        {171, 2},
                        {341, 2}, {342, 3}, {1000000, 5860}, {0xFFFFFFFFu, 25165824}};
  for (const Case& c : cases) EXPECT_EQ(BlockCountFor(c.total), c.blocks) << c.total;
}

TEST(TransferFrame, HeaderCarriesDesignFields) {
  TTransferHeader h;
  h.fileName = "2609c008.10oXYZ";  // only 12 characters fit
  h.left = -120;
  h.top = -80;
  h.right = 130;
  h.bottom = 90;
  h.total = 0x01020304;
  h.colorCount = 101;
  h.colorEntries.assign(101, 7);
  h.colorEntries[0] = 0;
  h.machineNumber = 3;
  h.title = "A long design title";
  h.transferWord = 0x5AA5;
  TTransferFrame f;
  f.fill(0xCC);
  BuildHeaderFrame(h, f);

  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(GetU16(f, 4), 0);
  EXPECT_EQ(GetU16(f, 6), 0x5AA5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[8]), 12), "2609c008.10o");
  EXPECT_EQ(static_cast<std::int16_t>(GetU16(f, 20)), 130);
  EXPECT_EQ(static_cast<std::int16_t>(GetU16(f, 22)), -120);
  EXPECT_EQ(static_cast<std::int16_t>(GetU16(f, 24)), 80);
  EXPECT_EQ(static_cast<std::int16_t>(GetU16(f, 26)), -90);
  EXPECT_EQ(GetU32(f, 28), 0u);
  EXPECT_EQ(GetU32(f, 32), 0x01020304u);
  EXPECT_EQ(GetU16(f, 36), 101);
  EXPECT_EQ(f[38], 0);
  EXPECT_EQ(f[137], 7);  // entry 99 is the last that fits
  EXPECT_EQ(GetU16(f, 138), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[140]), 12), "A long desig");
  for (std::size_t i = 152; i < 520; ++i) ASSERT_EQ(f[i], 0) << i;
  EXPECT_EQ(f[520], 0xAA);
}

TEST(TransferFrame, ShortNameAndTitleLeaveZeros) {
  TTransferHeader h;
  // Assigned as strings: assigning the literals makes g++ 12 warn falsely (-Wrestrict).
  h.fileName = std::string("a.10o");
  h.title = std::string("T");
  TTransferFrame f;
  BuildHeaderFrame(h, f);
  EXPECT_EQ(f[8 + 5], 0);
  EXPECT_EQ(f[141], 0);
}

TEST(TransferFrame, DataFramesCutTheStreamIn512ByteBlocks) {
  // 171 records: block 1 starts with the last byte of record 170.
  std::vector<std::uint8_t> stream(171 * 3);
  std::iota(stream.begin(), stream.end(), 1);
  TTransferFrame f;
  BuildDataFrame('D', 1, 0x1234, stream, f);
  EXPECT_EQ(f[0], 'D');
  EXPECT_EQ(GetU16(f, 4), 1);
  EXPECT_EQ(GetU16(f, 6), 0x1234);
  EXPECT_EQ(f[8], stream[512]);
  EXPECT_EQ(f[8], static_cast<std::uint8_t>(513));
  for (std::size_t i = 9; i < 520; ++i) ASSERT_EQ(f[i], 0) << i;
  EXPECT_EQ(f[520], 0xAA);

  BuildDataFrame('E', 0, 0x1234, stream, f);
  EXPECT_EQ(f[0], 'E');
  EXPECT_EQ(f[8], 1);
  EXPECT_EQ(f[519], static_cast<std::uint8_t>(512));
}

TEST(TransferFrame, BlocksOutsideTheStreamAreZero) {
  const std::vector<std::uint8_t> stream(600, 0x77);
  for (const std::int32_t index : {-1, 2, 100000, 0x7FFFFFFF}) {
    TTransferFrame f;
    f.fill(0xCC);
    BuildDataFrame('E', index, 9, stream, f);
    EXPECT_EQ(GetU16(f, 4), static_cast<std::uint16_t>(index)) << index;
    for (std::size_t i = 8; i < 520; ++i) ASSERT_EQ(f[i], 0) << index << " at " << i;
    EXPECT_EQ(f[520], 0xAA);
  }
}
