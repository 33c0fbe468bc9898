#include "shared/frmtajima.h"

#include <array>

namespace {

// The move one byte of a record contributes, with the vertical already turned to the in-memory
// axis (the file's vertical grows upwards).
struct Move {
  int dx = 0;
  int dy = 0;
};
using MoveTable = std::array<Move, 256>;

// Bits of a move byte as the published Tajima weights lay them out, for a byte whose smallest
// weight is unit: 7 up unit, 6 down unit, 5 up 9 units, 4 down 9 units, 3 left 9 units,
// 2 right 9 units, 1 left unit, 0 right unit. The third byte uses only bits 5 to 2 for moves.
constexpr MoveTable MakeTable(int unit, bool third) {
  MoveTable table{};
  for (int b = 0; b < 256; ++b) {
    Move m;
    if (!third) {
      if (b & 0x80) m.dy -= unit;
      if (b & 0x40) m.dy += unit;
      if (b & 0x02) m.dx -= unit;
      if (b & 0x01) m.dx += unit;
    }
    if (b & 0x20) m.dy -= 9 * unit;
    if (b & 0x10) m.dy += 9 * unit;
    if (b & 0x08) m.dx -= 9 * unit;
    if (b & 0x04) m.dx += 9 * unit;
    table[static_cast<std::size_t>(b)] = m;
  }
  return table;
}

constexpr MoveTable kFirst = MakeTable(1, false);
constexpr MoveTable kSecond = MakeTable(3, false);
constexpr MoveTable kThird = MakeTable(9, true);

constexpr std::uint8_t kStitch = 0x03;
constexpr std::uint8_t kJump = 0x83;
constexpr std::uint8_t kMode = 0x43;
constexpr std::uint8_t kChange = 0xC3;
constexpr std::uint8_t kEnd = 0xF3;

}  // namespace

void TStitchFormatTajima::ParseRecords(std::span<const std::uint8_t> records,
                                       TForeignTrack& track) const {
  bool mode = false;
  std::uint8_t previous = 0;
  for (std::size_t i = 0; i + 3 <= records.size(); i += 3) {
    const std::uint8_t b0 = records[i], b1 = records[i + 1], b2 = records[i + 2];
    const int dx = kFirst[b0].dx + kSecond[b1].dx + kThird[b2].dx;
    const int dy = kFirst[b0].dy + kSecond[b1].dy + kThird[b2].dy;
    track.Move(dx, dy);
    const std::uint8_t control = b2 & 0xC3;
    switch (control) {
      case kStitch:
        track.Stitch(dx, dy);
        break;
      case kJump:
        track.Append(mode ? sfModeJump : sfJump, dx, dy);
        break;
      case kMode:
        track.Append(mode ? sfModeOff : sfModeOn, dx, dy);
        mode = !mode;
        break;
      case kChange:
        if (b2 == kEnd) {
          track.Append(sfEnd, dx, dy);
          return;
        }
        track.CollapsingChange(dx, dy, previous == kChange);
        break;
      default:
        break;  // not a record this reader knows; its move still counts
    }
    previous = control;
  }
}
