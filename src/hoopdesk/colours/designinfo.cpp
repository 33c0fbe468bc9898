#include "hoopdesk/colours/designinfo.h"

#include <cstdlib>

#include "shared/common.h"
#include "shared/intmath.h"

namespace {

// A length in 0.1 mm as millimetres with one decimal.
QString Millimetres(long long tenths) { return QString("%1.%2").arg(tenths / 10).arg(tenths % 10); }

}  // namespace

TDesignInfoTexts MakeDesignInfoTexts(const TRect& r, int stitches, int colors, int zoom,
                                     bool extents) {
  TDesignInfoTexts t;
  t.width = Millimetres(std::llabs(static_cast<long long>(r.right) - r.left));
  t.height = Millimetres(std::llabs(static_cast<long long>(r.top) - r.bottom));
  t.stitches = QString::number(stitches);
  t.colors = QString::number(colors);
  if (extents) {
    t.x1 = QString("-X %1").arg(-static_cast<long long>(r.left));
    t.x2 = QString("+X %1").arg(r.right);
    t.y1 = QString("-Y %1").arg(r.bottom);
    t.y2 = QString("+Y %1").arg(-static_cast<long long>(r.top));
    t.scale = QString("%1%").arg(zoom);
  }
  return t;
}

TPoint DesignOriginPoint(const TRect& rawRect, int zoom, int w, int h) {
  const TPoint c = CenterPoint(rawRect);
  const TPoint z = ZoomPoint(zoom, intmath::ToPixels(c.x), intmath::ToPixels(c.y));
  return {intmath::Wrap(std::int64_t{w / 2} - z.x), intmath::Wrap(std::int64_t{h / 2} - z.y)};
}
