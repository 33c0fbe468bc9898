#include "pelsrv/server/serverimages.h"

#include "pelsrv/protocol/commbase.h"
#include "platform/canvas.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

namespace {

constexpr COLORREF kTraceBackground = 0xFFFFFF;

void FillWhite(platform::Bitmap& bitmap) {
  platform::Canvas& canvas = bitmap.GetCanvas();
  canvas.SelectBrush(platform::StockBrush(platform::StockObject::WhiteBrush));
  canvas.FillRect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
}

}  // namespace

platform::Bitmap PreviewBitmap(const std::filesystem::path& path, const TColorInfo& palette) {
  platform::Bitmap bitmap(kPreviewSize, kPreviewSize, 24);
  TStitchItem design;
  FillWhite(bitmap);
  if (design.Load(path.string(), palette)) {
    design.Offset = TPoint{0, 0};
    design.Draw(bitmap, true, 0, -1, &palette);
  }
  return bitmap;
}

platform::Bitmap TraceBitmap(TCommBase& comm, std::uint8_t bSewing, std::uint8_t bSmall) {
  if (comm.SendDesign().GetStitchSize(comm.MachineType()) > 0 || bSewing > 1) {
    const int size = bSmall != 0 ? kSmallTraceSize : kTraceSize;
    platform::Bitmap bitmap(size, size, 24);
    TraceImage(comm, bSewing, bitmap);
    return bitmap;
  }
  return platform::Bitmap(kEmptyTraceSize, kEmptyTraceSize, 24);
}

void TraceImage(TCommBase& comm, int kind, platform::Bitmap& bitmap) {
  const TColorInfo* palette = &comm.MachineColors();
  FillWhite(bitmap);
  if (kind == 2) {
    if (!comm.SecondLoaded()) return;
    TTraceInfo trace;
    trace.Mode = 2;
    trace.ShowDesign = 1;
    comm.SecondDesign().TracePaint(trace, bitmap, kTraceBackground, palette);
    return;
  }
  comm.LoadTraceDesign();
  if (!comm.DesignLoaded()) return;
  // The send design is shared with a transfer that may be running; paint a copy of it.
  TStitchItem design = comm.SendDesign();
  TTraceInfo trace;
  trace.ShowDesign = 1;
  trace.CurStitch = comm.Progress().nPos;
  trace.FirstPos = 0;
  if (kind == 1) {
    trace.Mode = 0;
    design.TracePaint(trace, bitmap, kTraceBackground, palette);
    trace.Mode = 1;
  } else {
    trace.Mode = 2;
  }
  design.TracePaint(trace, bitmap, kTraceBackground, palette);
}
