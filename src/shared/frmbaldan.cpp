#include "shared/frmbaldan.h"

namespace {

constexpr std::uint8_t kChange = 0x88;
constexpr std::uint8_t kChangeSkip = 0x92;
constexpr std::uint8_t kEnd = 0x98;

}  // namespace

void TStitchFormatBaldan::ParseRecords(std::span<const std::uint8_t> records,
                                       TForeignTrack& track) const {
  std::uint8_t previous = 0;
  for (std::size_t i = 0; i + 3 <= records.size(); i += 3) {
    const std::uint8_t control = records[i];
    int dx = static_cast<std::int8_t>(records[i + 2]);
    int dy = -static_cast<std::int8_t>(records[i + 1]);
    if (control & 0x20) dx = -dx;
    if (control & 0x40) dy = -dy;
    track.Move(dx, dy);
    const std::uint8_t m = control & 0x9F;
    if (m == 0x80) {
      track.Stitch(dx, dy);
    } else if ((m >= 0x81 && m <= 0x85) || m == 0x93 || m == 0x94) {
      track.Jump(dx, dy);
    } else if (m == 0x86 || m == 0x87) {
      track.Append(sfCut, dx, dy);
    } else if (m == kChange) {
      track.CollapsingChange(dx, dy, previous == kChange);
    } else if (m >= 0x89 && m <= kChangeSkip) {
      track.PlainChange(dx, dy);
      // This kind of change swallows the record after it, move and all.
      if (m == kChangeSkip) i += 3;
    } else if (m == kEnd) {
      track.Append(sfEnd, dx, dy);
      return;
    } else {
      // 0x95 to 0x97 and every value outside the stitch range read as plain jumps.
      track.Append(sfJump, dx, dy);
    }
    previous = m;
  }
}
