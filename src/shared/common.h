#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/wintypes.h"

// Integer geometry for zoom and units. Products are formed in 64 bits, so a large coordinate
// cannot overflow on the way; results wrap to 32 bits; every division truncates toward zero.

// (x * percent / 100, y * percent / 100).
TPoint ZoomPoint(std::int32_t percent, std::int32_t x, std::int32_t y);
// (x * 100 / percent, y * 100 / percent); (0, 0) when percent is 0 or less.
TPoint UnzoomPoint(std::int32_t percent, std::int32_t x, std::int32_t y);
// Each coordinate times percent divided by 100, in place.
void ZoomRect(TRect& rect, std::int32_t percent);

std::int32_t CenterX(const TRect& rect);
std::int32_t CenterY(const TRect& rect);
TPoint CenterPoint(const TRect& rect);

// The zoom at which a length fits into an area's length: area * 100 / length when the area is
// shorter, else 100 (also for a length of 0 or less). Never below the 32-bit range.
std::int32_t FitZoom(std::int64_t area, std::int64_t length);
// The zoom at which a rectangle, each side counted as at least 1, fits into width x height:
// the smaller of the two sides' zooms, so at most 100.
std::int32_t FitZoom(const TRect& rect, std::int64_t width, std::int64_t height);

// 0.1 mm to 96-dpi pixels, each coordinate * 96 / 254; out and in may be the same rectangle.
void RectToPixels(TRect& out, const TRect& in);

// Grows the rectangle so that it holds the point; right and bottom stay inclusive, so a
// rectangle grown from one point has zero width.
// Inline: the stitch file readers call it for every record.
inline void ExtendRect(TRect& rect, TPoint point) {
  rect.left = std::min(rect.left, point.x);
  rect.top = std::min(rect.top, point.y);
  rect.right = std::max(rect.right, point.x);
  rect.bottom = std::max(rect.bottom, point.y);
}
