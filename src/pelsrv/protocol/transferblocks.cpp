#include "pelsrv/protocol/transferblocks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pelsrv/protocol/transferframe.h"
#include "shared/frmmarlow.h"
#include "shared/stitch.h"

TTransferSource::TTransferSource(std::shared_ptr<const TStitchItem> design,
                                 std::uint8_t machineType)
    : design_(std::move(design)) {
  total_ = static_cast<std::uint32_t>(std::max(0, design_->GetStitchSize(machineType)));
  records_ = design_->Points.size();
}

std::int32_t TTransferSource::BlockCount() const {
  const std::uint64_t blocks = (3 * records_ + kFrameDataSize - 1) / kFrameDataSize;
  return static_cast<std::int32_t>(std::min<std::uint64_t>(blocks, INT32_MAX));
}

void TTransferSource::FillBlock(std::int32_t index, std::span<std::uint8_t> data) const {
  std::fill(data.begin(), data.end(), 0);
  const std::uint64_t streamSize = 3 * records_;
  if (!design_ || index < 0) return;
  const std::uint64_t start = static_cast<std::uint64_t>(index) * data.size();
  if (start >= streamSize) return;
  const std::uint64_t end = std::min<std::uint64_t>(start + data.size(), streamSize);
  const std::uint64_t firstRecord = start / 3;
  const std::uint64_t lastRecord = (end - 1) / 3;
  const std::vector<std::uint8_t> records =
      TStitchFormatMarlow::EncodeRecords(*design_, firstRecord, lastRecord - firstRecord + 1);
  const std::uint64_t skip = start - firstRecord * 3;
  if (skip >= records.size()) return;
  const std::uint64_t n = std::min<std::uint64_t>(end - start, records.size() - skip);
  std::memcpy(data.data(), records.data() + skip, n);
}
