#include "shared/frmzsk.h"

void TStitchFormatZSK::ParseRecords(std::span<const std::uint8_t> records,
                                    TForeignTrack& track) const {
  for (std::size_t i = 0; i + 3 <= records.size(); i += 3) {
    const std::uint8_t control = records[i + 2];
    int dx = static_cast<std::int8_t>(records[i + 1]);
    int dy = -static_cast<std::int8_t>(records[i]);
    // The direction bits are the other way round from ".dsb".
    if (control & 0x40) dx = -dx;
    if (control & 0x20) dy = -dy;
    track.Move(dx, dy);
    std::uint8_t m = control & 0x9F;
    if (m != 0x81) m &= 0xFE;
    if (m < 0x80) continue;  // not a record; its move still counts
    switch (m) {
      case 0x80:
        track.Stitch(dx, dy);
        break;
      case 0x81:
      case 0x94:
      case 0x96:
      case 0x98:
      case 0x9A:
      case 0x9C:
      case 0x9E:
        track.Jump(dx, dy);
        break;
      case 0x82:
        track.Append(sfRepeatColor, dx, dy);
        break;
      case 0x90:
        track.Append(sfEnd, dx, dy);
        return;
      default:
        track.Append(sfColorChange, dx, dy);  // 0x84 to 0x8E and 0x92
        break;
    }
  }
}
