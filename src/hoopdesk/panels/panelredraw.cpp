#include "hoopdesk/panels/panelredraw.h"

#include <utility>

TPanelRedraw::TPanelRedraw(std::function<void(int)> draw) : draw_(std::move(draw)) {
  timer_.setSingleShot(true);
  timer_.setInterval(0);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Flush(); });
}

void TPanelRedraw::Mark(int d) {
  if (d < 0 || d >= kMaxMachines) return;
  marked_.set(static_cast<std::size_t>(d));
  if (!timer_.isActive()) timer_.start();
}

void TPanelRedraw::Flush() {
  timer_.stop();
  const std::bitset<kMaxMachines> now = std::exchange(marked_, {});
  for (int d = 0; d < kMaxMachines; ++d)
    if (now.test(static_cast<std::size_t>(d))) draw_(d);
}
