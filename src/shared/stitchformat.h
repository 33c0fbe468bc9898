#pragma once

#include <cstdint>
#include <string>

#include "platform/wintypes.h"

class TStitchItem;

// A reader of one stitch-file format. Slot 0 reads the stitch records of the file at path
// into the design (the centre flag puts Origin at the centre of the records); slot 1 reads
// the colour records that belong to it and returns how many colour blocks it set. Readers
// are plain objects held by value: the destructor is not virtual and not public here.
class TStitchFormat {
 public:
  virtual bool GeneratePolylines(const std::string& path, TStitchItem& design, bool center) = 0;
  virtual int ReadColorPattern(const std::string& path, TStitchItem& design) = 0;

 protected:
  TStitchFormat() = default;
  TStitchFormat(const TStitchFormat&) = default;
  TStitchFormat& operator=(const TStitchFormat&) = default;
  ~TStitchFormat() = default;
};

// Running state that every record reader keeps: the position, the last appended record
// and the bounding rectangle of the appended records.
class TRecordCursor {
 public:
  // Adds a move to the running position (it wraps instead of overflowing on absurd files).
  void Move(std::int32_t dx, std::int32_t dy);

  // A stitch of no length right after a stitch.
  bool IsZeroStitch(std::uint8_t func, std::int32_t dx, std::int32_t dy) const;
  // A jump of no length right after a jump of no length.
  bool IsZeroJump(std::uint8_t func, std::int32_t dx, std::int32_t dy) const;

  // Appends {func, X, Y} to the design and remembers func and (dx, dy) as the last record.
  // Every record but an end record also grows the bounding rectangle.
  void Append(TStitchItem& design, std::uint8_t func, std::int32_t dx, std::int32_t dy);

  std::int32_t X() const { return x_; }
  std::int32_t Y() const { return y_; }
  std::uint8_t LastFunc() const { return lastFunc_; }
  const TRect& Bounds() const { return bounds_; }

 private:
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
  std::uint8_t lastFunc_ = 11;
  std::int32_t lastDx_ = 0;
  std::int32_t lastDy_ = 0;
  TRect bounds_;
  bool haveBounds_ = false;
};

// The steps that end every record reader: drops a colour change after the last stitch,
// sizes the colour blocks, splits moves the native format cannot carry, and sets Origin
// (the centre of the bounds when center, else (0, 0)), RawRect, ViewRect and Offset.
void FinishReadDesign(TStitchItem& design, const TRect& bounds, bool center);
