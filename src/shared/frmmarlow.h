#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "shared/stitchformat.h"

class TColorInfo;
class TStitchItem;

// The native design pair: ".10o" holds the stitch records as 3-byte records (control byte,
// vertical magnitude, horizontal magnitude), ".00o" the title and one record per thread.
//
// Record encoding (shared by the file writer and the machine transfer): record 0 carries no
// move; every later moving record (stitch, jump, mode jump, native jump) carries its move from
// the last moving record before it, or from record 0 when there is none; every other record
// carries no move. A reader that sums the moves from record 0 therefore puts every moving
// record back where it was relative to record 0. The stream form puts a start record at
// (0, 0) in front of a design that has none, so a design sent from it is rebuilt by a machine
// at the design's own positions, and so is a ".10o" written from such a design. Moves must
// fit in 127 units per axis: TStitchItem::LimitMoves splits longer ones into jumps, and Save
// calls it on the design before it writes.
class TStitchFormatMarlow final : public TStitchFormat {
 public:
  // Reads the ".10o" file at path exactly as named and appends its records to the design.
  bool GeneratePolylines(const std::string& path, TStitchItem& design, bool center) override;
  // Reads the ".00o" file beside path into Title and the first colour blocks.
  int ReadColorPattern(const std::string& path, TStitchItem& design) override;

  // Writes the ".00o" file and then the ".10o" file of path, each replacing any old file
  // atomically. Sets Saved and returns true only when both were written completely.
  // Long moves in the design are split into jumps first (LimitMoves).
  static bool Save(const std::string& path, TStitchItem& design, const TColorInfo* palette);
  // Writes only the ".00o" file of path, atomically.
  static bool SaveCtrlFile(const std::string& path, const TStitchItem& design,
                           const TColorInfo* palette);

  // Control byte of record index, with its horizontal (dx) and vertical (dy) move
  // magnitudes; 0 and no move for an index out of range or a code above 11. A move longer
  // than 127 units (a design that did not go through LimitMoves) is clamped to 127.
  // Scans back to the previous moving record; use EncodeRecords for runs of records.
  static std::uint8_t GetEmbData(const TStitchItem& design, int index, std::uint8_t& dx,
                                 std::uint8_t& dy);

  // The native record stream of records [first, first + count): 3 bytes per record,
  // control, dy, dx, exactly as GetEmbData gives them. This is what machine transfer
  // blocks carry; count is cut to the records that exist.
  static std::vector<std::uint8_t> EncodeRecords(
      const TStitchItem& design, std::size_t first = 0,
      std::size_t count = std::numeric_limits<std::size_t>::max());

  // The whole ".10o" file image: a start record, every record whose control byte is not
  // 0, 0x8A or 0x87, an end record and the byte 0x1A.
  static std::vector<std::uint8_t> BuildDesignFile(const TStitchItem& design);
  // The whole ".00o" file image (128-byte header with the title, 43 bytes per block).
  static std::vector<std::uint8_t> BuildCtrlFile(const TStitchItem& design,
                                                 const TColorInfo* palette);

  // Byte-level readers behind GeneratePolylines and ReadColorPattern.
  static void ParseDesignFile(std::span<const std::uint8_t> bytes, TStitchItem& design,
                              bool center);
  static int ParseCtrlFile(std::span<const std::uint8_t> bytes, TStitchItem& design);

  // Largest ".10o" file that is read; a design file beyond it is refused.
  static constexpr std::uint64_t kMaxDesignFileBytes = 64u << 20;
};
