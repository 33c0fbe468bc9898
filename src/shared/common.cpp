#include "shared/common.h"

#include <algorithm>
#include <limits>

#include "shared/intmath.h"

namespace {

std::int32_t Scale(std::int32_t v, std::int32_t mul, std::int32_t div) {
  return intmath::Wrap(static_cast<std::int64_t>(v) * mul / div);
}

}  // namespace

TPoint ZoomPoint(std::int32_t percent, std::int32_t x, std::int32_t y) {
  return {Scale(x, percent, 100), Scale(y, percent, 100)};
}

TPoint UnzoomPoint(std::int32_t percent, std::int32_t x, std::int32_t y) {
  if (percent <= 0) return {0, 0};
  return {Scale(x, 100, percent), Scale(y, 100, percent)};
}

void ZoomRect(TRect& rect, std::int32_t percent) {
  rect = {Scale(rect.left, percent, 100), Scale(rect.top, percent, 100),
          Scale(rect.right, percent, 100), Scale(rect.bottom, percent, 100)};
}

std::int32_t FitZoom(std::int64_t area, std::int64_t length) {
  if (length <= 0 || area >= length) return 100;
  return static_cast<std::int32_t>(
      std::max<std::int64_t>(area * 100 / length, std::numeric_limits<std::int32_t>::min()));
}

std::int32_t FitZoom(const TRect& rect, std::int64_t width, std::int64_t height) {
  const std::int64_t w = std::max<std::int64_t>(1, std::int64_t{rect.right} - rect.left);
  const std::int64_t h = std::max<std::int64_t>(1, std::int64_t{rect.bottom} - rect.top);
  return std::min(FitZoom(width, w), FitZoom(height, h));
}

std::int32_t CenterX(const TRect& rect) { return intmath::Mid(rect.left, rect.right); }

std::int32_t CenterY(const TRect& rect) { return intmath::Mid(rect.top, rect.bottom); }

TPoint CenterPoint(const TRect& rect) { return {CenterX(rect), CenterY(rect)}; }

void RectToPixels(TRect& out, const TRect& in) {
  out = {intmath::ToPixels(in.left), intmath::ToPixels(in.top), intmath::ToPixels(in.right),
         intmath::ToPixels(in.bottom)};
}
