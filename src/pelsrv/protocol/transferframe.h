// The 521-byte frames that carry a design to a machine: a header frame 'B', then data frames
// 'D' (next block) or 'E' (the same block again), each with 512 bytes of the native record
// stream, the transfer word and the end mark 0xAA.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/littleendian.h"

inline constexpr std::size_t kFrameSize = 521;
inline constexpr std::size_t kFrameDataOffset = 8;
inline constexpr std::size_t kFrameDataSize = 512;
inline constexpr std::size_t kFrameEndOffset = 520;
inline constexpr std::uint8_t kFrameEndMark = 0xAA;
inline constexpr std::uint8_t kFrameHeader = 0x42;     // 'B'
inline constexpr std::uint8_t kFrameData = 0x44;       // 'D'
inline constexpr std::uint8_t kFrameDataAgain = 0x45;  // 'E'
inline constexpr std::size_t kFrameNameLength = 12;
inline constexpr std::size_t kFrameMaxColors = 100;
inline constexpr std::size_t kFrameTitleLength = 12;

// Header frame offsets.
inline constexpr std::size_t kHdrName = 8;
inline constexpr std::size_t kHdrRight = 20;
inline constexpr std::size_t kHdrLeft = 22;
inline constexpr std::size_t kHdrTopNegated = 24;
inline constexpr std::size_t kHdrBottomNegated = 26;
inline constexpr std::size_t kHdrTotal = 32;
inline constexpr std::size_t kHdrColorCount = 36;
inline constexpr std::size_t kHdrColors = 38;
inline constexpr std::size_t kHdrMachineNumber = 138;
inline constexpr std::size_t kHdrTitle = 140;
// Both kinds.
inline constexpr std::size_t kFrameBlockIndex = 4;
inline constexpr std::size_t kFrameTransferWord = 6;

using TTransferFrame = std::array<std::uint8_t, kFrameSize>;

// What the header frame says about the design.
struct TTransferHeader {
  std::string fileName;                                   // the first 12 bytes are sent
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // raw bounding rectangle, 0.1 mm
  std::uint32_t total = 0;                                // stitch records sent
  std::uint16_t colorCount = 0;                           // the design's colour blocks
  std::vector<std::uint8_t> colorEntries;  // palette index + 1 per block; the first 100 are sent
  std::uint16_t machineNumber = 0;
  std::string title;  // the first 12 bytes are sent
  std::uint16_t transferWord = 0;
};

// Number of data blocks for a total of stitch records (3 bytes each).
std::int32_t BlockCountFor(std::uint32_t total);

void BuildHeaderFrame(const TTransferHeader& header, TTransferFrame& frame);

// A data frame of `kind` ('D' or 'E') for block `index`, filled from the record stream;
// stream bytes outside it (a negative index, a block past the end) are sent as 0.
void BuildDataFrame(std::uint8_t kind, std::int32_t index, std::uint16_t transferWord,
                    std::span<const std::uint8_t> stream, TTransferFrame& frame);
