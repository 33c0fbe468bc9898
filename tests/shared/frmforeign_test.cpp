#include <gtest/gtest.h>

#include <algorithm>

#include "foreignfile.h"
#include "shared/colorinfo.h"
#include "shared/frmbaldan.h"
#include "shared/frmtajima.h"
#include "shared/frmzsk.h"

using namespace foreigntest;

TEST(ForeignRead, EmptyRecordAreaIsNotRead) {
  TStitchItem design;
  EXPECT_FALSE(TStitchFormatTajima{}.Parse({}, design, true));
  EXPECT_FALSE(TStitchFormatBaldan{}.Parse({}, design, true));
  EXPECT_FALSE(TStitchFormatZSK{}.Parse({}, design, true));
  // One or two bytes: no record, but read.
  const std::vector<std::uint8_t> two{0x80, 0x01};
  EXPECT_TRUE(TStitchFormatZSK{}.Parse(two, design, true));
  EXPECT_TRUE(design.Points.empty());
  EXPECT_EQ(design.GetColorCount(), 1);
}

TEST(ForeignRead, ReadersLeaveColoursToTheControlFile) {
  TStitchItem design;
  design.Title = "kept";
  EXPECT_EQ(TStitchFormatTajima{}.ReadColorPattern("x.dst", design), 0);
  EXPECT_EQ(TStitchFormatBaldan{}.ReadColorPattern("x.dsb", design), 0);
  EXPECT_EQ(TStitchFormatZSK{}.ReadColorPattern("x.dsz", design), 0);
  EXPECT_EQ(design.Title, "kept");
}

TEST(ForeignRead, StitchBeforeADroppedChangeStaysInsideTheRectangle) {
  TStitchItem design;
  // stitch, change, repeat, then a third change that moves 81 right: its stitch is sewn, the
  // change itself gives nothing.
  ASSERT_TRUE(TStitchFormatTajima{}.Parse(
      Body({{0x01, 0, 0x03}, {0, 0, 0xC3}, {0, 0, 0xC3}, {0, 0, 0xC7}, {0, 0, 0xF3}}), design,
      true));
  EXPECT_EQ(Points(design),
            (std::vector<Point>{{0, 1, 0}, {2, 1, 0}, {4, 1, 0}, {0, 82, 0}, {11, 82, 0}}));
  EXPECT_EQ(design.GetRawRect(), (TRect{1, 0, 82, 0}));

  TStitchItem first;
  // The same stitch as the very first record.
  ASSERT_TRUE(TStitchFormatBaldan{}.Parse(Body({{0x88, 0x00, 0x10}, {0x98, 0, 0}}), first, true));
  EXPECT_EQ(Points(first), (std::vector<Point>{{0, 16, 0}, {11, 16, 0}}));
  EXPECT_EQ(first.GetRawRect(), (TRect{16, 0, 16, 0}));
}

TEST(ForeignRead, MovesTheNativeRecordsCannotCarryDoNotShiftLaterRecords) {
  struct Case {
    const char* name;
    const TStitchFormatForeign& reader;
    std::vector<std::uint8_t> body;
  };
  const TStitchFormatTajima dst;
  const TStitchFormatBaldan dsb;
  const TStitchFormatZSK dsz;
  const Case cases[] = {
      {"dst: dropped records add up to a long move", dst,
       Body({{0x01, 0, 0x03}, {0, 0, 0x07}, {0, 0, 0x04}, {0, 0, 0x04}, {0x01, 0, 0x03}})},
      {"dst: mode switches and a change that move", dst,
       Body({{0x01, 0, 0x03},
             {0x04, 0, 0x43},
             {0x01, 0, 0x83},
             {0x04, 0, 0x43},
             {0x01, 0, 0x03},
             {0x04, 0, 0xC3},
             {0x01, 0, 0x03}})},
      {"dsb: a cut that moves, a dropped change that moves, the largest magnitude", dsb,
       Body({{0x80, 0, 10},
             {0x86, 0xFB, 5},
             {0x80, 0, 1},
             {0x88, 0, 0},
             {0x8A, 0, 100},
             {0x80, 0, 100},
             {0x80, 0x80, 0x80},
             {0x80, 0, 1}})},
      {"dsz: changes and repeats that move, dropped records", dsz,
       Body({{0, 10, 0x80},
             {5, 5, 0x84},
             {0, 1, 0x80},
             {5, 5, 0x82},
             {0, 100, 0x00},
             {0, 100, 0x80},
             {0, 1, 0x80}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStitchItem design;
    ASSERT_TRUE(c.reader.Parse(c.body, design, true));
    EXPECT_EQ(MovingPathThroughNativeFile(design), MovingPath(design));
  }
}

namespace {

// A control file with a title and one record per colour.
std::vector<std::uint8_t> ControlFile(const std::string& title, std::vector<COLORREF> colors) {
  std::vector<std::uint8_t> bytes(128);
  std::copy(title.begin(), title.end(), bytes.begin() + 32);
  for (COLORREF c : colors) {
    std::vector<std::uint8_t> record(43);
    record[2] = 'T';
    record[33] = GetRValue(c);
    record[34] = GetGValue(c);
    record[35] = GetBValue(c);
    bytes.insert(bytes.end(), record.begin(), record.end());
  }
  return bytes;
}

class ForeignLoad : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TestFolder(); }
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return WriteBytes(dir_ / name, bytes);
  }
  std::filesystem::path dir_;
  TColorInfo palette_;
  TStitchItem design_;
};

// Two colour blocks: stitch, change, stitch.
const std::vector<std::uint8_t> kTwoBlocks =
    File(Body({{0x01, 0, 0x03}, {0, 0, 0xC3}, {0x01, 0, 0x03}, {0, 0, 0xF3}}));

}  // namespace

TEST_F(ForeignLoad, LoaderPicksTheReaderByExtensionInAnyCase) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"a.dst", kTwoBlocks},
      {"b.DST", kTwoBlocks},
      {"c.dsb", File(Body({{0x80, 0, 1}, {0x88, 0, 0}, {0x80, 0, 1}, {0x98, 0, 0}}))},
      {"d.Dsb", File(Body({{0x80, 0, 1}, {0x88, 0, 0}, {0x80, 0, 1}, {0x98, 0, 0}}))},
      {"e.dsz", File(Body({{0, 1, 0x80}, {0, 0, 0x84}, {0, 1, 0x80}, {0, 0, 0x90}}))},
      {"f.DSZ", File(Body({{0, 1, 0x80}, {0, 0, 0x84}, {0, 1, 0x80}, {0, 0, 0x90}}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(design_.Load(Write(c.name, c.bytes), palette_));
    EXPECT_EQ(Codes(design_), (std::vector<int>{0, 2, 0, 11}));
    // No control file: default palette colours in order.
    ASSERT_EQ(design_.GetColorCount(), 2);
    EXPECT_EQ(design_.Colors[1].Index, 1);
    EXPECT_EQ(design_.Colors[1].Color, palette_.GetColor(1));
  }
  // The same bytes under another extension are not read.
  EXPECT_FALSE(design_.Load(Write("g.dsx", kTwoBlocks), palette_));
}

TEST_F(ForeignLoad, ControlFileBesideAForeignFileGivesTitleAndColours) {
  const std::string path = Write("star.dst", kTwoBlocks);
  Write("star.00o", ControlFile("Star", {RGB(1, 2, 3), RGB(4, 5, 6)}));
  ASSERT_TRUE(design_.Load(path, palette_));
  EXPECT_EQ(design_.Title, "Star");
  ASSERT_EQ(design_.GetColorCount(), 2);
  EXPECT_EQ(design_.Colors[0].Color, RGB(1, 2, 3));
  EXPECT_EQ(design_.Colors[1].Color, RGB(4, 5, 6));
  EXPECT_EQ(design_.Colors[1].Name, "T");
}
