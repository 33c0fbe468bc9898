#pragma once

#include "shared/frmforeign.h"

// Reader of Tajima ".dst" stitch files.
class TStitchFormatTajima : public TStitchFormatForeign {
 private:
  void ParseRecords(std::span<const std::uint8_t> records, TForeignTrack& track) const override;
};
