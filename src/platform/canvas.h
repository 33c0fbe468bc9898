#pragma once

#include <cstdint>
#include <span>

#include "platform/wintypes.h"

namespace platform {

class Bitmap;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

enum class BrushStyle { Solid, Clear };

// Mixing of the pen and brush with the pixels already there. The values are the ones
// the drawing code and its callers store and restore.
enum class RasterOp : int {
  NotXorPen = 10,  // pixel = NOT (pen XOR pixel); drawing twice restores the pixels
  CopyPen = 13,    // pixel = pen
};

struct Pen {
  COLORREF color = kBlack;
  int width = 1;
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  COLORREF color = kWhite;
  BrushStyle style = BrushStyle::Solid;
  friend bool operator==(const Brush&, const Brush&) = default;
};

// The ready-made pens and brushes, numbered as callers name them.
enum class StockObject : int { WhiteBrush = 0, GrayBrush = 2, BlackBrush = 4, BlackPen = 7 };
Brush StockBrush(StockObject id);  // a pen id gives the white brush
Pen StockPen(StockObject id);      // a brush id gives the black pen

// Drawing state (pen, brush, raster operation, pen position) bound to one bitmap.
// Every bitmap has its own canvas that keeps its state between uses; a separate Canvas on
// a bitmap is a scratch context with state of its own. Coordinates are screen pixels with
// y growing downwards; rectangles leave out their right and bottom edges, lines their last
// point, and nothing outside the bitmap is ever written. Shapes have a 1-pixel outline in
// the pen colour around a brush-coloured inside; wider pens widen lines only.
class Canvas {
 public:
  explicit Canvas(Bitmap& target);
  // The state of `other` on another target.
  Canvas(const Canvas& other, Bitmap& target);

  Pen& GetPen() { return pen_; }
  const Pen& GetPen() const { return pen_; }
  Brush& GetBrush() { return brush_; }
  const Brush& GetBrush() const { return brush_; }
  // Each returns what was selected before.
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  RasterOp SetRop2(RasterOp rop);
  RasterOp GetRop2() const { return rop_; }

  TPoint PenPos() const { return pos_; }
  void MoveTo(int x, int y);
  // Line from the pen position to (x, y), without (x, y) itself; the pen moves there.
  void LineTo(int x, int y);
  // Connected lines through the points, leaving out the last point.
  void Polyline(std::span<const TPoint> points);

  void Rectangle(int left, int top, int right, int bottom);
  void Ellipse(int left, int top, int right, int bottom);
  // Fills with the brush, copying whatever the raster operation; a clear brush paints nothing.
  void FillRect(const TRect& rect);
  // Copies `source` with its top left corner at (x, y).
  void Draw(int x, int y, const Bitmap& source);

 private:
  void Span(std::int64_t y, std::int64_t x0, std::int64_t x1, COLORREF color, RasterOp rop);
  void Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
  template <typename SpanOf>
  void Shape(std::int64_t top, std::int64_t bottom, SpanOf span_of);

  Bitmap* target_;
  Pen pen_;
  Brush brush_;
  RasterOp rop_ = RasterOp::CopyPen;
  TPoint pos_;
};

}  // namespace platform
