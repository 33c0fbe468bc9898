#include "shared/frmforeign.h"

#include "platform/fileutil.h"
#include "shared/common.h"
#include "shared/frmmarlow.h"
#include "shared/intmath.h"

bool TStitchFormatForeign::GeneratePolylines(const std::string& path, TStitchItem& design,
                                             bool center) {
  // Files beyond the bound of native design files are refused: no design a machine sews
  // comes near it.
  const auto bytes =
      platform::ReadFileBytes(path, kHeaderSize + TStitchFormatMarlow::kMaxDesignFileBytes);
  if (!bytes || bytes->size() <= kHeaderSize) return false;
  return Parse(std::span<const std::uint8_t>(*bytes).subspan(kHeaderSize), design, center);
}

int TStitchFormatForeign::ReadColorPattern(const std::string&, TStitchItem&) { return 0; }

bool TStitchFormatForeign::Parse(std::span<const std::uint8_t> records, TStitchItem& design,
                                 bool center) const {
  if (records.empty()) return false;
  // One record rarely gives more than one point.
  design.Points.reserve(design.Points.size() + records.size() / 3 + 1);
  TForeignTrack track(design);
  ParseRecords(records, track);
  track.Finish(center);
  return true;
}

void TForeignTrack::Append(std::uint8_t func, int dx, int dy) {
  cursor_.Append(design_, func, dx, dy);
  if (func != sfEnd) anyBounds_ = true;
}

void TForeignTrack::Stitch(int dx, int dy) {
  if (cursor_.IsZeroStitch(sfStitch, dx, dy)) return;
  Append(sfStitch, dx, dy);
  stitched_ = true;
}

void TForeignTrack::Jump(int dx, int dy) {
  if (!cursor_.IsZeroJump(sfJump, dx, dy)) Append(sfJump, dx, dy);
}

void TForeignTrack::PlainChange(int dx, int dy) {
  if (!stitched_) return;
  Append(sfColorChange, dx, dy);
  stitched_ = false;
}

void TForeignTrack::CollapsingChange(int dx, int dy, bool afterChange) {
  if (dx != 0 || dy != 0) {
    // The machine sews to the new position before it changes the thread. This stitch is not
    // the last record for the drop rules, and the change then counts as one without a move.
    design_.Points.push_back(TEmbPoint{sfStitch, cursor_.X(), cursor_.Y()});
    if (!anyInserted_) inserted_ = {cursor_.X(), cursor_.Y(), cursor_.X(), cursor_.Y()};
    ExtendRect(inserted_, {cursor_.X(), cursor_.Y()});
    anyInserted_ = true;
    dx = dy = 0;
  }
  if (afterChange) {
    if (++changeRun_ <= 2) Append(sfRepeatColor, dx, dy);
    return;
  }
  changeRun_ = 1;
  PlainChange(dx, dy);
}

void TForeignTrack::Finish(bool center) const {
  TRect bounds = cursor_.Bounds();
  if (anyInserted_) {
    if (anyBounds_) {
      ExtendRect(bounds, {inserted_.left, inserted_.top});
      ExtendRect(bounds, {inserted_.right, inserted_.bottom});
    } else {
      bounds = inserted_;
    }
  }
  FinishReadDesign(design_, bounds, center);
}
