// The bevelled frames the own controls draw: `width` rings inside `rect`, each with its top and
// left lines in one colour and its bottom and right lines in the other.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

// A raised frame for a positive width (highlight top-left, shadow bottom-right), a sunken one for
// a negative width (the colours swapped), nothing for 0.
void Frame3D(QPainter& painter, const QPalette& palette, QRect rect, int width);

// One raised vertical line: highlight at column x, shadow at column x + 1, rows top..bottom-1.
void RaisedVLine(QPainter& painter, const QPalette& palette, int x, int top, int bottom);
