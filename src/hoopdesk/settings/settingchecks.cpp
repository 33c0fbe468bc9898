#include "hoopdesk/settings/settingchecks.h"

#include <algorithm>
#include <cstdint>

bool IsLineSpeed(std::int32_t baudRate) {
  return baudRate == 9600 || baudRate == 19200 || baudRate == 38400;
}

std::int32_t CheckedBaudRate(std::int32_t baudRate) {
  return IsLineSpeed(baudRate) ? baudRate : kDefaultBaudRate;
}

std::int32_t CheckedRotSpeed(std::int32_t rotSpeed) {
  return rotSpeed >= kMinRotSpeed && rotSpeed <= kMaxRotSpeed ? rotSpeed : kDefaultRotSpeed;
}

std::int32_t CheckedExpireDays(std::int32_t days) { return days < 0 ? kDefaultExpireDays : days; }

std::int32_t CheckedExpireFiles(std::int32_t files) {
  return files < 0 ? kDefaultExpireFiles : files;
}

std::int32_t CheckedPanelWidth(std::int32_t width, std::int32_t available) {
  if (width <= 0) width = kDefaultPanelWidth;
  return available > 0 ? std::min(width, available) : width;
}

namespace {

std::int64_t Area(const QRect& r) {
  return r.isEmpty() ? 0 : std::int64_t{r.width()} * std::int64_t{r.height()};
}

// The stored corners as a rectangle, right and bottom exclusive; 64-bit so that no stored
// value overflows, and none when it has no area.
bool NormalRect(const TWindowPlacement& p, QRect& rect) {
  const std::int64_t width = std::int64_t{p.right} - p.left;
  const std::int64_t height = std::int64_t{p.bottom} - p.top;
  if (width <= 0 || height <= 0 || width > INT32_MAX / 2 || height > INT32_MAX / 2 ||
      p.left < INT32_MIN / 2 || p.top < INT32_MIN / 2 || p.left > INT32_MAX / 2 ||
      p.top > INT32_MAX / 2)
    return false;
  rect = QRect(p.left, p.top, static_cast<int>(width), static_cast<int>(height));
  return true;
}

}  // namespace

TWindowPlacement ClampPlacement(const TWindowPlacement& placement, const QList<QRect>& screens) {
  QList<QRect> present;
  for (const QRect& s : screens)
    if (!s.isEmpty()) present.append(s);
  if (present.isEmpty()) return placement;
  QRect rect;
  if (!NormalRect(placement, rect)) rect = QRect(present.front().topLeft(), QSize(1022, 752));

  const QRect* screen = &present.front();
  std::int64_t best = 0;
  for (const QRect& s : present) {
    const std::int64_t overlap = Area(s.intersected(rect));
    if (overlap > best) {
      best = overlap;
      screen = &s;
    }
  }
  rect.setWidth(std::min(rect.width(), screen->width()));
  rect.setHeight(std::min(rect.height(), screen->height()));
  rect.moveLeft(std::clamp(rect.left(), screen->left(), screen->right() + 1 - rect.width()));
  rect.moveTop(std::clamp(rect.top(), screen->top(), screen->bottom() + 1 - rect.height()));

  TWindowPlacement result = placement;
  result.left = rect.left();
  result.top = rect.top();
  result.right = rect.left() + rect.width();
  result.bottom = rect.top() + rect.height();
  return result;
}
