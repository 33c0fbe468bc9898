#include "platform/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/bitmap.h"
#include "platform/linewalk.h"

namespace platform {
namespace {

void Apply(std::uint8_t* p, COLORREF color, RasterOp rop) {
  const std::uint8_t c[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
  for (int i = 0; i < 3; ++i)
    p[i] = rop == RasterOp::NotXorPen ? static_cast<std::uint8_t>(~(c[i] ^ p[i])) : c[i];
}

// Inclusive span of one row of a shape; empty when first > last.
struct RowSpan {
  std::int64_t first = 0;
  std::int64_t last = -1;
};

// Row spans of the ellipse inscribed in the box [left, right) x [top, bottom): the pixels
// whose centres lie inside the ellipse through the box's outer edges. In coordinates
// doubled around the centre a pixel is inside when dx^2 * B^2 + dy^2 * A^2 <= A^2 * B^2,
// with A and B the box's width and height.
class EllipseRows {
 public:
  EllipseRows(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
      : cx2_(left + right - 1), cy2_(top + bottom - 1), a_(right - left), b_(bottom - top) {}

  RowSpan operator()(std::int64_t y) const {
    const std::int64_t dy = 2 * y - cy2_;
    // Half-width in doubled units, first estimated, then settled exactly when small.
    const double ratio = static_cast<double>(dy) / static_cast<double>(b_);
    const double rest = 1.0 - ratio * ratio;
    if (rest < 0) return {};
    auto reach = static_cast<std::int64_t>(static_cast<double>(a_) * std::sqrt(rest));
    if (a_ < kExact && b_ < kExact) {
      while (reach > 0 && !Inside(reach, dy)) --reach;
      while (Inside(reach + 1, dy)) ++reach;
      if (!Inside(reach, dy)) return {};
    }
    // Pixel x has dx = 2x - cx2, so the reach allows x in [(cx2 - reach) / 2, (cx2 + reach) / 2]
    // with dx of the parity of cx2.
    const std::int64_t last = FloorHalf(cx2_ + reach);
    return {cx2_ - last, last};
  }

 private:
  static constexpr std::int64_t kExact = std::int64_t{1} << 15;
  bool Inside(std::int64_t dx, std::int64_t dy) const {
    return dx * dx * b_ * b_ + dy * dy * a_ * a_ <= a_ * a_ * b_ * b_;
  }
  static std::int64_t FloorHalf(std::int64_t v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

  std::int64_t cx2_, cy2_, a_, b_;
};

}  // namespace

Brush StockBrush(StockObject id) {
  switch (id) {
    case StockObject::GrayBrush:
      return {RGB(128, 128, 128), BrushStyle::Solid};
    case StockObject::BlackBrush:
      return {kBlack, BrushStyle::Solid};
    default:
      return {kWhite, BrushStyle::Solid};
  }
}

Pen StockPen(StockObject) { return {kBlack, 1}; }

Canvas::Canvas(Bitmap& target) : target_(&target) {}

Canvas::Canvas(const Canvas& other, Bitmap& target) : Canvas(other) { target_ = &target; }

Pen Canvas::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush Canvas::SelectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
RasterOp Canvas::SetRop2(RasterOp rop) { return std::exchange(rop_, rop); }

void Canvas::MoveTo(int x, int y) { pos_ = {x, y}; }

void Canvas::LineTo(int x, int y) {
  Line(pos_.x, pos_.y, x, y);
  pos_ = {x, y};
}

void Canvas::Polyline(std::span<const TPoint> points) {
  for (std::size_t i = 1; i < points.size(); ++i)
    Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

void Canvas::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  const std::int64_t width = std::max(1, pen_.width);
  const std::int64_t back = width / 2;  // a wide pen is a square centred on each point
  LineWalk walk(x0, y0, x1, y1);
  walk.StopBefore(walk.Major());
  if (!walk.Clip(-width, -width, target_->Width() + width, target_->Height() + width)) return;
  for (; !walk.Done(); walk.Next()) {
    const std::int64_t top = std::max<std::int64_t>(walk.Y() - back, 0);
    const std::int64_t bottom = std::min<std::int64_t>(walk.Y() - back + width, target_->Height());
    for (std::int64_t y = top; y < bottom; ++y)
      Span(y, walk.X() - back, walk.X() - back + width - 1, pen_.color, rop_);
  }
}

void Canvas::Span(std::int64_t y, std::int64_t x0, std::int64_t x1, COLORREF color, RasterOp rop) {
  if (y < 0 || y >= target_->Height()) return;
  x0 = std::max<std::int64_t>(x0, 0);
  x1 = std::min<std::int64_t>(x1, target_->Width() - 1);
  if (x0 > x1) return;
  std::uint8_t* p = target_->At(x0, y);
  const int step = target_->BitsPerPixel() / 8;
  for (std::int64_t x = x0; x <= x1; ++x, p += step) Apply(p, color, rop);
}

// Paints rows [top, bottom) of a convex shape: a pixel of a row's span is outline when it
// ends the span or has no neighbour above or below; the rest is inside.
template <typename SpanOf>
void Canvas::Shape(std::int64_t top, std::int64_t bottom, SpanOf span_of) {
  const auto row = [&](std::int64_t y) { return y < top || y >= bottom ? RowSpan{} : span_of(y); };
  const std::int64_t first = std::max<std::int64_t>(top, 0);
  const std::int64_t end = std::min<std::int64_t>(bottom, target_->Height());
  if (first >= end) return;
  RowSpan above = row(first - 1);
  RowSpan here = row(first);
  for (std::int64_t y = first; y < end; ++y) {
    const RowSpan below = row(y + 1);
    if (here.first <= here.last) {
      const std::int64_t in_first = std::max({here.first + 1, above.first, below.first});
      const std::int64_t in_last = std::min({here.last - 1, above.last, below.last});
      const bool any_inside =
          above.first <= above.last && below.first <= below.last && in_first <= in_last;
      if (!any_inside) {
        Span(y, here.first, here.last, pen_.color, rop_);
      } else {
        Span(y, here.first, in_first - 1, pen_.color, rop_);
        if (brush_.style == BrushStyle::Solid) Span(y, in_first, in_last, brush_.color, rop_);
        Span(y, in_last + 1, here.last, pen_.color, rop_);
      }
    }
    above = here;
    here = below;
  }
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right) return;
  Shape(top, bottom, [&](std::int64_t) { return RowSpan{left, std::int64_t{right} - 1}; });
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right) return;
  Shape(top, bottom, EllipseRows(left, top, right, bottom));
}

void Canvas::FillRect(const TRect& rect) {
  if (brush_.style != BrushStyle::Solid) return;
  for (std::int64_t y = std::max(rect.top, 0); y < std::min(rect.bottom, target_->Height()); ++y)
    Span(y, rect.left, std::int64_t{rect.right} - 1, brush_.color, RasterOp::CopyPen);
}

void Canvas::Draw(int x, int y, const Bitmap& source) {
  const std::int64_t x_first = std::max<std::int64_t>(x, 0);
  const std::int64_t x_end =
      std::min<std::int64_t>(std::int64_t{x} + source.Width(), target_->Width());
  const std::int64_t y_end =
      std::min<std::int64_t>(std::int64_t{y} + source.Height(), target_->Height());
  if (x_first >= x_end) return;
  const int from_step = source.BitsPerPixel() / 8;
  const int to_step = target_->BitsPerPixel() / 8;
  const bool with_alpha = from_step == 4 && to_step == 4;
  for (std::int64_t ty = std::max<std::int64_t>(y, 0); ty < y_end; ++ty) {
    const std::uint8_t* from = source.At(x_first - x, ty - y);
    std::uint8_t* to = target_->At(x_first, ty);
    for (std::int64_t tx = x_first; tx < x_end; ++tx, from += from_step, to += to_step) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      if (with_alpha) to[3] = from[3];
    }
  }
}

}  // namespace platform
