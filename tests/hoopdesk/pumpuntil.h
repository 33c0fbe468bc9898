#pragma once

#include <QCoreApplication>
#include <chrono>
#include <thread>

// Runs the program's events until `done` answers true; false when `limit` passed first. Tests
// that wait for a real server or machine use it, so every wait is bounded.
template <class F>
bool PumpUntil(F done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
