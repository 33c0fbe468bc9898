// A design of four colour blocks and thread palettes of 15 entries for the colour tests.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "hoopdesk/designmaker.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

inline TColorInfo MakePalette(int entries, COLORREF base) {
  TColorInfo palette;
  for (int i = 0; i < entries; ++i) {
    const COLORREF c = RGB((base & 0xFF) + i * 13 % 256, 40 + i * 11, 200 - i * 9);
    palette.Insert(-1, {c, 1, "Needle " + std::to_string(i + 1), ""});
  }
  return palette;
}

// Four blocks in clearly different colours, with names.
inline TStitchItem FourBlocks() {
  TStitchItem d;
  d.Points.push_back({sfStart, 0, 0});
  for (int b = 0; b < 4; ++b) {
    if (b > 0) d.Points.push_back({sfColorChange, b * 100, 0});
    for (int s = 0; s < 20; ++s) d.Points.push_back({sfStitch, b * 100 + s * 5, (s % 2) * 60});
  }
  d.Points.push_back({sfEnd, 400, 0});
  d.SetColorCount();
  const COLORREF colours[] = {0x2020D0, 0x20B020, 0xC04020, 0x20C0E0};
  for (int b = 0; b < 4; ++b)
    d.Colors[b] = {0, kNoPaletteIndex, colours[b], "Thread " + std::to_string(b + 1)};
  designmaker::SetBounds(d);
  return d;
}

// Sends a mouse event to the widget at its local point, as the window system would.
inline void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// A drag of the left button from one point to another of the same widget.
inline void DragWithin(QWidget* w, QPoint from, QPoint to) {
  SendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(w, QEvent::MouseMove, from + QPoint(4, 4), Qt::NoButton, Qt::LeftButton);
  SendMouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}
