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
  // The records a machine of `machineType` receives: all of them, except a leading start record
  // for machine type 0x20, which its stitch count leaves out too.
  TTransferSource(std::shared_ptr<const TStitchItem> design, std::uint8_t machineType);

  std::uint32_t Total() const { return total_; }
  std::size_t FirstRecord() const { return first_; }
  const std::shared_ptr<const TStitchItem>& Design() const { return design_; }

  // Stream bytes of block `index` into `data` (512 bytes); bytes outside the stream are 0.
  void FillBlock(std::int32_t index, std::span<std::uint8_t> data) const;

 private:
  std::shared_ptr<const TStitchItem> design_;
  std::size_t first_ = 0;
  std::uint32_t total_ = 0;
};
