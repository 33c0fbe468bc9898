#include "pelsrv/protocol/transferframe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>

#include "pelsrv/protocol/transferblocks.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

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

TEST(TransferSource, StreamRunsFromRecordZeroAndItsBlocksHoldEveryRecord) {
  // 171 records (start, 169 stitches, end): 513 stream bytes whatever the machine type.
  TStitchItem design;
  design.Points.push_back({sfStart, 0, 0});
  for (int i = 0; i < 169; ++i) design.Points.push_back({sfStitch, i % 2 ? 10 : 0, 0});
  design.Points.push_back({sfEnd, 0, 0});
  const std::vector<std::uint8_t> stream = TStitchFormatMarlow::EncodeRecords(design);
  const auto shared = std::make_shared<const TStitchItem>(design);
  struct Case {
    std::uint8_t type;
    std::uint32_t total;  // what the header tells
  };
  for (const Case& c : {Case{0x01, 171}, Case{0x20, 170}}) {
    SCOPED_TRACE(c.type);
    const TTransferSource source(shared, c.type);
    EXPECT_EQ(source.Total(), c.total);
    EXPECT_EQ(source.Records(), 171u);
    EXPECT_EQ(source.BlockCount(), 2) << "the last record fills a block of its own";
    std::array<std::uint8_t, kFrameDataSize> block{};
    source.FillBlock(0, block);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), stream.begin())) << "the start is first";
    source.FillBlock(1, block);
    EXPECT_EQ(block[0], stream[512]);
    EXPECT_TRUE(std::all_of(block.begin() + 1, block.end(), [](auto b) { return b == 0; }));
    source.FillBlock(2, block);
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](auto b) { return b == 0; }));
  }
}
