#include "shared/frmzsk.h"

#include <gtest/gtest.h>

#include "foreignfile.h"

using namespace foreigntest;

namespace {

// The vertical and the horizontal magnitude first, then the control byte.
constexpr Rec kStep{0x00, 0x01, 0x80};
constexpr Rec kJump{0x00, 0x00, 0x81};

}  // namespace

TEST(Zsk, MovesAreSignedBytesWithDirectionBits) {
  const MoveCase cases[] = {
      {{0x00, 0xFF, 0x80}, -1, 0},
      {{0x00, 0xFF, 0xC0}, 1, 0},
      {{0x00, 0x05, 0xC0}, -5, 0},
      {{0x05, 0x00, 0x80}, 0, -5},
      {{0x05, 0x00, 0xA0}, 0, 5},
      {{0xFF, 0x00, 0x80}, 0, 1},
      {{0x03, 0x04, 0xE0}, -4, 3},
      {{0x80, 0x80, 0x80}, -128, 128},
      // 0x20 and 0x40 swap roles against ".dsb": 0x20 turns the vertical here
      {{0x02, 0x02, 0xA0}, 2, 2},
  };
  ExpectMoves<TStitchFormatZSK>(cases);
}

TEST(Zsk, EveryControlValueHasItsCode) {
  const ControlCase cases[] = {
      {0x81, 1},
      {0x94, 1},
      {0x95, 1},
      {0x96, 1},
      {0x98, 1},
      {0x9A, 1},
      {0x9C, 1},
      {0x9E, 1},
      {0x9F, 1},
      {0x82, 4},
      {0x83, 4},
      {0x84, 2},
      {0x85, 2},
      {0x86, 2},
      {0x88, 2},
      {0x8A, 2},
      {0x8C, 2},
      {0x8E, 2},
      {0x8F, 2},
      {0x92, 2},
      {0x93, 2},
      {0x00, -1},
      {0x01, -1},
      {0x7F, -1},
      {0x1F, -1},
      // the direction bits are not part of the control value
      {0xE2, 4},
      {0xC1, 1},
      {0xA4, 2},
  };
  ExpectControls<TStitchFormatZSK>(cases, kStep, [](std::uint8_t control) {
    return Rec{0x00, 0x00, control};
  });
}

TEST(Zsk, ControlSequences) {
  const SequenceCase cases[] = {
      {"0x91 reads as 0x90 and ends the design",
       {kStep, {0, 0, 0x91}, kStep},
       {{0, 1, 0}, {11, 1, 0}}},
      {"changes do not collapse and need no stitch before them",
       {{0, 0, 0x84}, {0, 0, 0x84}, {0, 0, 0x84}, kStep},
       {{2, 0, 0}, {2, 0, 0}, {2, 0, 0}, {0, 1, 0}}},
      {"a dropped record still moves", {{0x00, 0x05, 0x00}, kStep}, {{0, 6, 0}}},
      {"zero jumps collapse, zero stitches after a stitch are dropped",
       {kJump, kJump, kStep, {0, 0, 0x80}, kJump},
       {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
  };
  ExpectSequences<TStitchFormatZSK>(cases);
}
