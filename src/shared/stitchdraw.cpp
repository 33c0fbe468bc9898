#include <algorithm>
#include <cstdint>
#include <ctime>
#include <limits>
#include <tuple>
#include <utility>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "shared/drawparam.h"
#include "shared/emline.h"
#include "shared/stitch.h"

namespace {

constexpr COLORREF kUnsewnGrey = RGB(192, 192, 192);

std::int32_t ClampToInt(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Far enough outside any bitmap that a cross there is invisible, near enough that its
// strokes cannot overflow.
TPoint ClampCross(std::int64_t x, std::int64_t y) {
  constexpr std::int64_t kFar = std::int64_t{1} << 30;
  return {static_cast<std::int32_t>(std::clamp(x, -kFar, kFar)),
          static_cast<std::int32_t>(std::clamp(y, -kFar, kFar))};
}

// Zoom that fits a view of w x h pixels (each at least 1) into width x height, at most 100.
std::int32_t FitZoom(const TRect& view, std::int64_t width, std::int64_t height) {
  const std::int64_t w = std::max<std::int64_t>(1, std::int64_t{view.right} - view.left);
  const std::int64_t h = std::max<std::int64_t>(1, std::int64_t{view.bottom} - view.top);
  return ClampToInt(std::min<std::int64_t>({height * 100 / h, width * 100 / w, 100}));
}

// The rings of a mode jump: grey ones on unsewn records.
class RingPainter {
 public:
  RingPainter(platform::Bitmap& bitmap, std::int32_t zoom)
      : canvas_(bitmap),
        width_(bitmap.Width()),
        height_(bitmap.Height()),
        outer_(std::max<std::int64_t>(1, (std::int64_t{zoom} * 12 + 50) / 100)),
        inner_(zoom < 75 ? 1 : 2) {}

  void Ring(std::int64_t x, std::int64_t y, bool grey) {
    if (x + outer_ < 0 || y + outer_ < 0 || x - outer_ >= width_ || y - outer_ >= height_) return;
    const platform::Pen grey_pen{kUnsewnGrey, 1};
    const platform::Brush grey_brush = platform::StockBrush(platform::StockObject::GrayBrush);
    canvas_.SelectPen(grey ? grey_pen : platform::StockPen(platform::StockObject::BlackPen));
    canvas_.SelectBrush(grey ? grey_brush
                             : platform::StockBrush(platform::StockObject::WhiteBrush));
    Circle(x, y, outer_);
    if (!grey) canvas_.SelectBrush(platform::StockBrush(platform::StockObject::BlackBrush));
    Circle(x, y, inner_);
  }

 private:
  void Circle(std::int64_t x, std::int64_t y, std::int64_t r) {
    canvas_.Ellipse(ClampToInt(x - r), ClampToInt(y - r), ClampToInt(x + r + 1),
                    ClampToInt(y + r + 1));
  }

  platform::Canvas canvas_;
  std::int64_t width_;
  std::int64_t height_;
  std::int64_t outer_;
  std::int64_t inner_;
};

}  // namespace

int TStitchItem::Draw(platform::Bitmap& bitmap, bool clear, int first, int trace,
                      const TColorInfo* palette) {
  const std::int64_t width = bitmap.Width();
  const std::int64_t height = bitmap.Height();
  platform::Canvas& canvas = bitmap.GetCanvas();
  if (clear) {
    canvas.GetBrush().style = platform::BrushStyle::Solid;
    canvas.Rectangle(0, 0, bitmap.Width(), bitmap.Height());
    CrossDrawn = 0;
  }
  const std::int32_t zoom = FitZoom(GetViewRect(), width, height);
  if (zoom > 0) {
    const TPoint c = CenterPt();
    TDrawParam p;
    p.Bitmap = &bitmap;
    p.XOffset = ClampToInt(width / 2 - std::int64_t{c.x} * zoom / 100);
    p.YOffset = ClampToInt(height / 2 - std::int64_t{c.y} * zoom / 100);
    p.Zoom = zoom;
    p.First = first;
    p.DrawAll = clear ? 1 : 0;
    DrawStitch(&p, trace, palette);
  }
  canvas.GetBrush().style = platform::BrushStyle::Clear;
  canvas.Rectangle(0, 0, bitmap.Width(), bitmap.Height());
  return zoom;
}

int TStitchItem::Draw(platform::Bitmap& bitmap, int x, int y, int width, int height,
                      const TColorInfo* palette) {
  const std::int32_t zoom = FitZoom(GetViewRect(), width, height);
  if (zoom > 0) {
    const TPoint c = CenterPt();
    TDrawParam p;
    p.Bitmap = &bitmap;
    p.XOffset = ClampToInt(std::int64_t{x} + width / 2 - std::int64_t{c.x} * zoom / 100);
    p.YOffset = ClampToInt(std::int64_t{y} + height / 2 - std::int64_t{c.y} * zoom / 100);
    p.Zoom = zoom;
    p.DrawAll = 1;
    DrawStitch(&p, -1, palette);
  }
  return zoom;
}

void TStitchItem::DrawStitch(TDrawParam* p, int trace, const TColorInfo* palette) {
  if (p == nullptr || p->Bitmap == nullptr) return;
  platform::Bitmap& bitmap = *p->Bitmap;
  const std::int32_t zoom = p->Zoom;
  RingPainter rings(bitmap, zoom);

  std::int64_t pen_x = 0;
  std::int64_t pen_y = 0;
  bool lift = true;  // the next stitch only moves the pen
  TNeedleColor colour = GetFirstNeedleColor(palette);
  const int width = PenWidth != 0 ? PenWidth : (zoom < 70 ? 1 : 2);
  EmLine line(bitmap, width, p->Seed ? *p->Seed : static_cast<std::uint32_t>(std::time(nullptr)));

  bool swapped = false;
  if (trace >= 0) {
    if (p->First > trace) {
      std::swap(p->First, trace);
      swapped = true;
    }
    CrossEnabled = 1;
  } else {
    CrossEnabled = 0;
  }
  platform::Canvas& canvas = bitmap.GetCanvas();
  EraseXorCross(canvas);
  std::int64_t cross_x = CrossPos.x;
  std::int64_t cross_y = CrossPos.y;
  if (trace > 0) --trace;

  const std::int64_t first = p->First;
  const std::int64_t count = static_cast<std::int64_t>(Points.size());
  // Drawing a range only (a trace step): the records before it only carry the colour, the
  // lift and the pen forward, and the records after it and after the cross change nothing.
  const bool ranged = p->DrawAll == 0;
  const std::int64_t end =
      ranged ? std::min<std::int64_t>(count, std::max<std::int64_t>(first, trace) + 1) : count;
  const auto scaled = [&](const TEmbPoint& pt) {
    std::int64_t x = (std::int64_t{pt.X} - Origin.x) * 96 / 254;
    std::int64_t y = (std::int64_t{pt.Y} - Origin.y) * 96 / 254;
    if (zoom < 100) {
      x = x * zoom / 100;
      y = y * zoom / 100;
    }
    return std::pair<std::int64_t, std::int64_t>{x + p->XOffset, y + p->YOffset};
  };
  const TEmbPoint* pen_record = nullptr;  // the pen's record while it is not yet scaled
  for (std::int64_t i = 0; i < end; ++i) {
    const TEmbPoint& pt = Points[static_cast<std::size_t>(i)];
    const std::uint8_t f = pt.Func;
    if (f == sfColorChange) colour = GetNextNeedleColor(palette);
    const bool moves_pen = f != sfJump && f != sfNativeJump;
    if (ranged && i < first) {
      if (f == sfStitch || f == sfModeJump)
        lift = false;
      else if (f == sfCut || f == sfColorChange)
        lift = true;
      if (moves_pen) pen_record = &pt;
      // A forward step from `first` on keeps the cross on record trace, which lies before it.
      if (!swapped && i == trace) std::tie(cross_x, cross_y) = scaled(pt);
      continue;
    }
    if (pen_record != nullptr) {
      std::tie(pen_x, pen_y) = scaled(*pen_record);
      pen_record = nullptr;
    }
    const auto [px, py] = scaled(pt);

    if (f == sfStitch || f == sfModeJump) {
      if (lift) {
        lift = false;
      } else {
        const bool grey = (trace >= 0 && i > trace) || swapped;
        if (grey) colour = {192, 192, 192};  // until the next colour change
        if (!ranged || (first <= i && i <= trace)) {
          if (f == sfModeJump) rings.Ring(px, py, grey);
          line.Line(pen_x, pen_y, px, py, {colour.Blue, colour.Green, colour.Red});
        }
      }
    } else if (f == sfCut || f == sfColorChange) {
      lift = true;
    }
    if (moves_pen) {
      pen_x = px;
      pen_y = py;
    }
    if ((swapped && i == first) || (!swapped && i == trace)) {
      cross_x = px;
      cross_y = py;
    }
  }
  DrawXorCross(canvas, ClampCross(cross_x, cross_y));
}

void TStitchItem::XorCross(platform::Canvas& canvas, TPoint at) {
  const TPoint point = ClampCross(at.x, at.y);
  const platform::RasterOp old = canvas.SetRop2(platform::RasterOp::NotXorPen);
  const TPoint down[] = {{point.x, point.y - 8}, {point.x, point.y + 8}};
  const TPoint across[] = {{point.x - 8, point.y}, {point.x + 8, point.y}};
  canvas.Polyline(down);
  canvas.Polyline(across);
  canvas.SetRop2(old);
}

void TStitchItem::DrawXorCross(platform::Canvas& canvas, TPoint point) {
  if (CrossDrawn == 1 || CrossEnabled == 0) return;
  XorCross(canvas, point);
  CrossPos = point;
  CrossDrawn = 1;
}

void TStitchItem::EraseXorCross(platform::Canvas& canvas) {
  if (CrossDrawn == 0 || CrossEnabled == 0) return;
  XorCross(canvas, CrossPos);
  CrossDrawn = 0;
}
