// The grid of the trace frames.
#include <gtest/gtest.h>

#include "hoopdesk/trace/tracetiles.h"

namespace {

TEST(TraceTiles, GridByTheNumberOfFrames) {
  const int columns[] = {0, 1, 2, 2, 2, 3, 3, 0};
  const int rows[] = {0, 1, 1, 2, 2, 2, 2, 0};
  for (int n = 0; n <= 7; ++n) {
    EXPECT_EQ(TraceGrid(n).columns, columns[n]) << n;
    EXPECT_EQ(TraceGrid(n).rows, rows[n]) << n;
    EXPECT_EQ(TraceTiles(n, 900, 600).size(), static_cast<std::size_t>(columns[n] ? n : 0)) << n;
  }
}

TEST(TraceTiles, OneFrameFillsTheArea) {
  EXPECT_EQ(TraceTiles(1, 700, 532), std::vector<QRect>{QRect(0, 0, 700, 532)});
}

TEST(TraceTiles, FiveFramesFillTwoRowsOfThreeRowByRow) {
  const std::vector<QRect> cells = TraceTiles(5, 901, 601);
  const std::vector<QRect> expected = {QRect(0, 0, 300, 300), QRect(300, 0, 300, 300),
                                       QRect(600, 0, 300, 300), QRect(0, 300, 300, 300),
                                       QRect(300, 300, 300, 300)};
  EXPECT_EQ(cells, expected);
}

}  // namespace
