#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/wintypes.h"
#include "shared/stitch.h"
#include "shared/stitchformat.h"

class TForeignTrack;

// Base of the readers of other machine families' stitch files (".dst", ".dsb", ".dsz"). They
// share one frame: a 512-byte header that nobody reads, then 3-byte records that each reader
// decodes into calls on TForeignTrack. They read records only; colours and the title come from
// a control file of the same base name, which the design loader reads with the native reader.
class TStitchFormatForeign : public TStitchFormat {
 public:
  // Reads the file at path: false when it cannot be read, holds no byte after its header or
  // is larger than any stitch file that is read.
  bool GeneratePolylines(const std::string& path, TStitchItem& design, bool center) override;
  // Nothing to read: returns 0 and leaves the design alone.
  int ReadColorPattern(const std::string& path, TStitchItem& design) override;

  // Reads the bytes that follow the header and finishes the design; false when there are
  // none. A trailing partial record is ignored.
  bool Parse(std::span<const std::uint8_t> records, TStitchItem& design, bool center) const;

  static constexpr std::size_t kHeaderSize = 512;

 protected:
  TStitchFormatForeign() = default;
  TStitchFormatForeign(const TStitchFormatForeign&) = default;
  TStitchFormatForeign& operator=(const TStitchFormatForeign&) = default;
  ~TStitchFormatForeign() = default;

 private:
  // Decodes the complete records; stops after an end record.
  virtual void ParseRecords(std::span<const std::uint8_t> records, TForeignTrack& track) const = 0;
};

// Running state of one foreign read on top of the common record cursor: the stitched flag and
// the run of colour changes that ".dst" and ".dsb" collapse.
class TForeignTrack {
 public:
  explicit TForeignTrack(TStitchItem& design) : design_(design) {}

  // Every record read moves the position, also one that gives nothing.
  void Move(int dx, int dy) { cursor_.Move(dx, dy); }

  // A record of the format's stitch kind: appended unless it is a zero stitch.
  void Stitch(int dx, int dy);
  // A jump under the zero-jump rule.
  void Jump(int dx, int dy);
  // Any record without a drop rule, the end record included (the caller stops after it).
  void Append(std::uint8_t func, int dx, int dy);

  // A colour change that counts only after a stitch since the last change.
  void PlainChange(int dx, int dy);
  // The colour change of ".dst" and ".dsb" that collapses runs: afterChange tells whether the
  // record read before this one was of the same kind.
  void CollapsingChange(int dx, int dy, bool afterChange);

  void Finish(bool center) const;

 private:
  TStitchItem& design_;
  TRecordCursor cursor_;
  bool anyBounds_ = false;  // the cursor's bounds hold an appended record
  bool stitched_ = false;
  int changeRun_ = 0;
  // Stitches inserted before colour changes lie outside the cursor's bounds when their change
  // is dropped; they are added to the design's rectangle at the end.
  TRect inserted_;
  bool anyInserted_ = false;
};
