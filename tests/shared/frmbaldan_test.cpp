#include "shared/frmbaldan.h"

#include <gtest/gtest.h>

#include "foreignfile.h"

using namespace foreigntest;

namespace {

// Control byte first, then the vertical and the horizontal magnitude.
constexpr Rec kStep{0x80, 0x00, 0x01};
constexpr Rec kChange{0x88, 0x00, 0x00};
constexpr Rec kJump{0x81, 0x00, 0x00};

}  // namespace

TEST(Baldan, MovesAreSignedBytesWithDirectionBits) {
  const MoveCase cases[] = {
      {{0x80, 0x00, 0xFF}, -1, 0},     {{0xA0, 0x00, 0xFF}, 1, 0},  {{0x80, 0x00, 0x7F}, 127, 0},
      {{0xA0, 0x00, 0x05}, -5, 0},     {{0x80, 0x05, 0x00}, 0, -5}, {{0xC0, 0x05, 0x00}, 0, 5},
      {{0x80, 0xFF, 0x00}, 0, 1},      {{0xC0, 0xFF, 0x00}, 0, -1}, {{0xE0, 0x03, 0x04}, -4, 3},
      {{0x80, 0x80, 0x80}, -128, 128},
  };
  ExpectMoves<TStitchFormatBaldan>(cases);
}

TEST(Baldan, EveryControlValueHasItsCode) {
  const ControlCase cases[] = {
      {0x81, 1},
      {0x83, 1},
      {0x85, 1},
      {0x93, 1},
      {0x94, 1},
      {0x86, 6},
      {0x87, 6},
      {0x89, 2},
      {0x8F, 2},
      {0x91, 2},
      {0x95, 1},
      {0x97, 1},
      {0x00, 1},
      {0x7F & 0x9F, 1},
      {0x99, 1},
      {0x9F, 1},
      // the direction bits are not part of the control value
      {0xA1, 1},
      {0xC6, 6},
      {0xE9, 2},
  };
  ExpectControls<TStitchFormatBaldan>(cases, kStep, [](std::uint8_t control) {
    return Rec{control, 0x00, 0x00};
  });
}

TEST(Baldan, ControlSequences) {
  const SequenceCase cases[] = {
      {"stitch and three changes: a change, a repeat, nothing",
       {kStep, kChange, kChange, kChange, kStep},
       {{0, 1, 0}, {2, 1, 0}, {4, 1, 0}, {0, 2, 0}}},
      {"a change at the very start gives nothing", {kChange, kStep}, {{0, 1, 0}}},
      {"a change with a move (3, 4) stitches there first",
       {kStep, {0xC8, 0x04, 0x03}, kStep},
       {{0, 1, 0}, {0, 4, 4}, {2, 4, 4}, {0, 5, 4}}},
      {"other changes count only after a stitch",
       {{0x89, 0, 0}, kStep, {0x8C, 0, 0}, {0x8C, 0, 0}, kStep},
       {{0, 1, 0}, {2, 1, 0}, {0, 2, 0}}},
      {"0x92 swallows the record after it, move and all",
       {kStep, {0x92, 0, 0}, {0x80, 0x00, 0x40}, kStep},
       {{0, 1, 0}, {2, 1, 0}, {0, 2, 0}}},
      {"0x92 as the last record", {kStep, {0x92, 0, 0}}, {{0, 1, 0}}},
      {"end stops the read", {kStep, {0x98, 0, 0}, kStep}, {{0, 1, 0}, {11, 1, 0}}},
      {"zero jumps collapse, zero stitches after a stitch are dropped",
       {kJump, kJump, {0x81, 0, 1}, kJump, kJump, {0x80, 0, 0}, kStep, {0x80, 0, 0}},
       {{1, 0, 0}, {1, 1, 0}, {1, 1, 0}, {0, 1, 0}, {0, 2, 0}}},
      {"jumps outside the stitch range have no zero-jump rule",
       {{0x95, 0, 0}, {0x95, 0, 0}, {0x9A, 0, 0}},
       {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}}},
  };
  ExpectSequences<TStitchFormatBaldan>(cases);
}
