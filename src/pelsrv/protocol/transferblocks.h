// The native record stream of a design as the transfer blocks carry it: 3 bytes per stitch
// record, cut into 512-byte blocks. Blocks are encoded one at a time from the design, so a
// transfer needs no copy of the whole stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

class TStitchItem;

class TTransferSource {
 public:
  TTransferSource() = default;
  // The stream of every record from record 0 on. The total that a machine of `machineType` is
  // told leaves a leading start record out for machine type 0x20 (GetStitchSize); the stream
  // still carries it in front.
  TTransferSource(std::shared_ptr<const TStitchItem> design, std::uint8_t machineType);

  std::uint32_t Total() const { return total_; }
  // Records in the stream: Total(), plus the leading start record that type 0x20 is not told.
  std::uint64_t Records() const { return records_; }
  // Blocks that the stream's bytes fill, so that no record is cut off at the end.
  std::int32_t BlockCount() const;
  const std::shared_ptr<const TStitchItem>& Design() const { return design_; }

  // Stream bytes of block `index` into `data` (512 bytes); bytes outside the stream are 0.
  void FillBlock(std::int32_t index, std::span<std::uint8_t> data) const;

 private:
  std::shared_ptr<const TStitchItem> design_;
  std::uint64_t records_ = 0;
  std::uint32_t total_ = 0;
};
