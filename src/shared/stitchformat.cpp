#include "shared/stitchformat.h"

#include "shared/common.h"
#include "shared/intmath.h"
#include "shared/stitch.h"

void TRecordCursor::Move(std::int32_t dx, std::int32_t dy) {
  x_ = intmath::Add(x_, dx);
  y_ = intmath::Add(y_, dy);
}

bool TRecordCursor::IsZeroStitch(std::uint8_t func, std::int32_t dx, std::int32_t dy) const {
  return func == sfStitch && dx == 0 && dy == 0 && lastFunc_ == sfStitch;
}

bool TRecordCursor::IsZeroJump(std::uint8_t func, std::int32_t dx, std::int32_t dy) const {
  return func == sfJump && dx == 0 && dy == 0 && lastFunc_ == sfJump && lastDx_ == 0 &&
         lastDy_ == 0;
}

void TRecordCursor::Append(TStitchItem& design, std::uint8_t func, std::int32_t dx,
                           std::int32_t dy) {
  design.Points.push_back({func, x_, y_});
  lastFunc_ = func;
  lastDx_ = dx;
  lastDy_ = dy;
  if (func == sfEnd) return;
  if (haveBounds_) {
    ExtendRect(bounds_, {x_, y_});
  } else {
    bounds_ = {x_, y_, x_, y_};
    haveBounds_ = true;
  }
}

void FinishReadDesign(TStitchItem& design, const TRect& bounds, bool center) {
  design.DeleteExtraNeedle();
  design.SetColorCount();
  // Moves the native format cannot carry in one record become jumps here, where the design
  // is built, so every later count of its records agrees.
  design.LimitMoves();
  design.Origin = center ? CenterPoint(bounds) : TPoint{0, 0};
  design.SetRawRect(bounds);
  design.SetViewRect(intmath::ViewOf(bounds, design.Origin));
  design.Offset = {0, 0};
}
