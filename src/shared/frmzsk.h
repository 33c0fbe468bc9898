#pragma once

#include "shared/frmforeign.h"

// Reader of ZSK ".dsz" stitch files.
class TStitchFormatZSK : public TStitchFormatForeign {
 private:
  void ParseRecords(std::span<const std::uint8_t> records, TForeignTrack& track) const override;
};
