// Colours as the design model and the palettes keep them (COLORREF: red in the low byte) and
// as Qt draws them.
#pragma once

#include <QColor>

#include "platform/wintypes.h"

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

inline COLORREF ToColorRef(const QColor& c) {
  return RGB(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue()));
}

// The two back colours the windows let the operator choose between.
inline constexpr COLORREF kBackWhite = 0xFFFFFF;
inline constexpr COLORREF kBackGray = 0x808080;
// What is chosen is framed or filled in this blue.
inline constexpr COLORREF kSelectionBlue = 0xFF0000;
