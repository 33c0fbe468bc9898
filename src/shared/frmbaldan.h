#pragma once

#include "shared/frmforeign.h"

// Reader of Baldan ".dsb" stitch files.
class TStitchFormatBaldan : public TStitchFormatForeign {
 private:
  void ParseRecords(std::span<const std::uint8_t> records, TForeignTrack& track) const override;
};
