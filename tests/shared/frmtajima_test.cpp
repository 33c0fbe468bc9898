#include "shared/frmtajima.h"

#include <gtest/gtest.h>

#include "foreignfile.h"

using namespace foreigntest;

namespace {

bool Read(const std::vector<std::uint8_t>& body, TStitchItem& design) {
  return TStitchFormatTajima{}.Parse(body, design, true);
}

// Control bytes in the third byte of a record.
constexpr Rec kChange{0x00, 0x00, 0xC3};
constexpr Rec kEnd{0x00, 0x00, 0xF3};
constexpr Rec kModeSwitch{0x00, 0x00, 0x43};
constexpr Rec kJump{0x00, 0x00, 0x83};
// A stitch one unit to the right.
constexpr Rec kStep{0x01, 0x00, 0x03};

class TajimaFile : public ::testing::Test {
 protected:
  std::string Write(const std::vector<std::uint8_t>& bytes) {
    return WriteBytes(TestFolder() / "design.dst", bytes);
  }
  TStitchItem design_;
  TStitchFormatTajima reader_;
};

}  // namespace

TEST_F(TajimaFile, HeaderOnlyOrMissingFileIsNotRead) {
  EXPECT_FALSE(reader_.GeneratePolylines(Write(File({})), design_, true));
  EXPECT_FALSE(reader_.GeneratePolylines(Write(std::vector<std::uint8_t>(100)), design_, true));
  EXPECT_FALSE(reader_.GeneratePolylines("/nonexistent/none.dst", design_, true));
  EXPECT_TRUE(design_.Points.empty());
}

TEST_F(TajimaFile, EndRecordAloneGivesOneEndAtOrigin) {
  ASSERT_TRUE(reader_.GeneratePolylines(Write(File(Body({kEnd}))), design_, true));
  EXPECT_EQ(Points(design_), (std::vector<Point>{{11, 0, 0}}));
  EXPECT_EQ(design_.GetColorCount(), 1);
}

TEST_F(TajimaFile, TrailingPartialRecordAndBytesAfterTheEndAreIgnored) {
  // Two records and the first two bytes of a third.
  std::vector<std::uint8_t> body = Body({kStep, kStep, {0x01, 0x00, 0x00}});
  body.pop_back();
  ASSERT_TRUE(reader_.GeneratePolylines(Write(File(body)), design_, true));
  EXPECT_EQ(Points(design_), (std::vector<Point>{{0, 1, 0}, {0, 2, 0}}));

  TStitchItem ended;
  ASSERT_TRUE(Read(Body({kStep, kEnd, kStep, kStep}), ended));
  EXPECT_EQ(Points(ended), (std::vector<Point>{{0, 1, 0}, {11, 1, 0}}));
}

TEST(Tajima, EveryMoveBitHasItsWeight) {
  // In memory the vertical grows downwards, in the file upwards.
  const MoveCase cases[] = {
      {{0x80, 0, 0x03}, 0, -1},
      {{0x40, 0, 0x03}, 0, 1},
      {{0x20, 0, 0x03}, 0, -9},
      {{0x10, 0, 0x03}, 0, 9},
      {{0x08, 0, 0x03}, -9, 0},
      {{0x04, 0, 0x03}, 9, 0},
      {{0x02, 0, 0x03}, -1, 0},
      {{0x01, 0, 0x03}, 1, 0},
      {{0, 0x80, 0x03}, 0, -3},
      {{0, 0x40, 0x03}, 0, 3},
      {{0, 0x20, 0x03}, 0, -27},
      {{0, 0x10, 0x03}, 0, 27},
      {{0, 0x08, 0x03}, -27, 0},
      {{0, 0x04, 0x03}, 27, 0},
      {{0, 0x02, 0x03}, -3, 0},
      {{0, 0x01, 0x03}, 3, 0},
      {{0, 0, 0x23}, 0, -81},
      {{0, 0, 0x13}, 0, 81},
      {{0, 0, 0x0B}, -81, 0},
      {{0, 0, 0x07}, 81, 0},
      // every bit of one axis at once: the largest move a record carries
      {{0xA5, 0xA5, 0x27}, 121, -121},
  };
  ExpectMoves<TStitchFormatTajima>(cases);
}

TEST(Tajima, ControlSequences) {
  const SequenceCase cases[] = {
      {"mode on, jump inside, mode off, plain jump",
       {kModeSwitch, kJump, kModeSwitch, kJump},
       {{7, 0, 0}, {9, 0, 0}, {8, 0, 0}, {1, 0, 0}}},
      {"a run of changes gives a change and a repeat",
       {kStep, kChange, kChange, kChange, kStep},
       {{0, 1, 0}, {2, 1, 0}, {4, 1, 0}, {0, 2, 0}}},
      {"a change before any stitch gives nothing", {kChange, kStep}, {{0, 1, 0}}},
      {"a change right after a change that gave nothing is a repeat",
       {kChange, kChange, kStep},
       {{4, 0, 0}, {0, 1, 0}}},
      {"separate changes",
       {kStep, kChange, kStep, kChange, kStep},
       {{0, 1, 0}, {2, 1, 0}, {0, 2, 0}, {2, 2, 0}, {0, 3, 0}}},
      {"a change with no stitch since the last one",
       {kStep, kChange, kJump, kChange, kStep},
       {{0, 1, 0}, {2, 1, 0}, {1, 1, 0}, {0, 2, 0}}},
      {"a change with a move stitches there first",
       {kStep, {0x01, 0x00, 0xC3}, kStep},
       {{0, 1, 0}, {0, 2, 0}, {2, 2, 0}, {0, 3, 0}}},
      {"a change after the last stitch is removed",
       {kStep, kChange, kEnd},
       {{0, 1, 0}, {11, 1, 0}}},
      {"a zero stitch after a stitch is dropped, after a jump it is kept",
       {kStep, {0, 0, 0x03}, kJump, {0, 0, 0x03}},
       {{0, 1, 0}, {1, 1, 0}, {0, 1, 0}}},
      {"zero jumps are all kept", {kJump, kJump}, {{1, 0, 0}, {1, 0, 0}}},
      {"unknown controls are dropped but move",
       {{0x01, 0, 0x00},
        {0x01, 0, 0x01},
        {0x01, 0, 0x02},
        {0x01, 0, 0x40},
        {0x01, 0, 0x81},
        {0x01, 0, 0xC1},
        kStep},
       {{0, 7, 0}}},
  };
  ExpectSequences<TStitchFormatTajima>(cases);
}

TEST(Tajima, FinishedDesignIsCentredOnItsRectangle) {
  TStitchItem design;
  // Stitches at (9, 0), (9, -81) and (-72, -81); the end record lies outside the rectangle.
  ASSERT_TRUE(Read(Body({{0x04, 0, 0x03}, {0, 0, 0x23}, {0, 0, 0x0B}, {0x01, 0, 0xF3}}), design));
  EXPECT_EQ(design.GetRawRect(), (TRect{-72, -81, 9, 0}));
  EXPECT_EQ(design.Origin, (TPoint{-31, -40}));
  // (-41, -41, 40, 40) in 0.1 mm
  EXPECT_EQ(design.GetViewRect(), (TRect{-15, -15, 15, 15}));
  EXPECT_EQ(design.Offset, (TPoint{0, 0}));
}
