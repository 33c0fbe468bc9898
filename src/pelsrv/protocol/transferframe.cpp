#include "pelsrv/protocol/transferframe.h"

#include <algorithm>
#include <cstring>

std::int32_t BlockCountFor(std::uint32_t total) {
  return static_cast<std::int32_t>((3 * static_cast<std::uint64_t>(total) + 511) >> 9);
}

namespace {

void PutText(TTransferFrame& frame, std::size_t at, const std::string& text, std::size_t limit) {
  std::memcpy(frame.data() + at, text.data(), std::min(text.size(), limit));
}

}  // namespace

void BuildHeaderFrame(const TTransferHeader& header, TTransferFrame& frame) {
  frame.fill(0);
  frame[0] = kFrameHeader;
  PutU16(frame, kFrameTransferWord, header.transferWord);
  PutText(frame, kHdrName, header.fileName, kFrameNameLength);
  PutU16(frame, kHdrRight, static_cast<std::uint16_t>(header.right));
  PutU16(frame, kHdrLeft, static_cast<std::uint16_t>(header.left));
  PutU16(frame, kHdrTopNegated, static_cast<std::uint16_t>(-header.top));
  PutU16(frame, kHdrBottomNegated, static_cast<std::uint16_t>(-header.bottom));
  PutU32(frame, kHdrTotal, header.total);
  PutU16(frame, kHdrColorCount, header.colorCount);
  const std::size_t colors = std::min(header.colorEntries.size(), kFrameMaxColors);
  std::copy_n(header.colorEntries.begin(), colors, frame.begin() + kHdrColors);
  PutU16(frame, kHdrMachineNumber, header.machineNumber);
  PutText(frame, kHdrTitle, header.title, kFrameTitleLength);
  frame[kFrameEndOffset] = kFrameEndMark;
}

void BuildDataFrame(std::uint8_t kind, std::int32_t index, std::uint16_t transferWord,
                    std::span<const std::uint8_t> stream, TTransferFrame& frame) {
  frame.fill(0);
  frame[0] = kind;
  PutU16(frame, kFrameBlockIndex, static_cast<std::uint16_t>(index));
  PutU16(frame, kFrameTransferWord, transferWord);
  if (index >= 0) {
    const std::uint64_t start = static_cast<std::uint64_t>(index) * kFrameDataSize;
    if (start < stream.size()) {
      const std::size_t n = std::min<std::uint64_t>(kFrameDataSize, stream.size() - start);
      std::memcpy(frame.data() + kFrameDataOffset, stream.data() + start, n);
    }
  }
  frame[kFrameEndOffset] = kFrameEndMark;
}
