#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "shared/stitch.h"
#include "shared/traceinfo.h"

void TStitchItem::TracePaint(const TTraceInfo& trace, platform::Bitmap& bitmap, COLORREF background,
                             const TColorInfo* palette) {
  platform::Canvas& canvas = bitmap.GetCanvas();
  canvas.GetBrush().color = background;
  if (trace.ShowDesign == 0) {
    canvas.GetBrush().style = platform::BrushStyle::Solid;
    canvas.Rectangle(0, 0, bitmap.Width(), bitmap.Height());
    return;
  }
  // Trace views draw thin lines at every zoom.
  PenWidth = 1;
  switch (trace.Mode) {
    case 0:  // everything after record 0 in the unsewn grey
      Draw(bitmap, true, 0, 0, palette);
      break;
    case 2:  // a design that is not being traced
      Draw(bitmap, true, 0, -1, palette);
      break;
    default:  // the records from FirstPos on, over what the bitmap holds
      Draw(bitmap, false, trace.FirstPos, trace.CurStitch, palette);
      break;
  }
  PenWidth = 0;
}
