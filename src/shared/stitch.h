#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/memstream.h"
#include "platform/wintypes.h"

class TColorInfo;
struct TDrawParam;
struct TTraceInfo;
namespace platform {
class Bitmap;
class Canvas;
}  // namespace platform

// Function codes of stitch records. Moving records (stitch, jump, mode jump, native jump)
// end a needle or frame movement; the others mark an event at the current position.
enum TStitchFunc : std::uint8_t {
  sfStitch = 0,
  sfJump = 1,
  sfColorChange = 2,
  sfStart = 3,
  sfRepeatColor = 4,
  sfControl = 5,  // control record of the native format, carried through unchanged
  sfCut = 6,
  sfModeOn = 7,
  sfModeOff = 8,
  sfModeJump = 9,     // jump inside the mode, drawn with a ring
  sfNativeJump = 10,  // jump kind of the native format only
  sfEnd = 11,
};

constexpr bool IsMovingFunc(std::uint8_t func) {
  return func == sfStitch || func == sfJump || func == sfModeJump || func == sfNativeJump;
}

// One stitch record: absolute position in 0.1 mm, Y growing downwards.
struct TEmbPoint {
  std::uint8_t Func = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TEmbPoint&, const TEmbPoint&) = default;
};

// One colour block: block 0 is used from the first record, block k from the k-th colour
// change on.
struct TEmbColor {
  std::uint8_t Mark = 0;   // 0 or 1; a marked block is drawn inverted
  std::uint8_t Index = 0;  // palette entry, 0xFF when none matched
  COLORREF Color = 0;
  std::string Name;
  friend bool operator==(const TEmbColor&, const TEmbColor&) = default;
};

constexpr std::uint8_t kNoPaletteIndex = 0xFF;

// The result of the needle-colour cursor, each channel 0 to 255.
struct TNeedleColor {
  std::int32_t Blue = 0;
  std::int32_t Green = 0;
  std::int32_t Red = 0;
  friend bool operator==(const TNeedleColor&, const TNeedleColor&) = default;
};

// One embroidery design in memory: stitch records with absolute positions, colour blocks,
// bounding rectangles and the small state that drawing and sending need. Copies are deep.
// Nothing here throws or shows anything; index arguments out of range are ignored.
class TStitchItem {
 public:
  TStitchItem() = default;

  // Stream form exchanged between the desktop program and the server. Its records are the
  // design's with a start record at (0, 0) in front and an end record behind where they are
  // missing, and moves too long for one native record split into jumps from there
  // (LimitMoves). Save returns the stream positioned at the end of the data, or null when no
  // stream could be made; the design itself is not changed.
  std::unique_ptr<platform::MemStream> Save() const;
  // Replaces the carried fields with the stream's and gives the records the shape Save
  // writes, so a loaded design saves to the form it came from. A stream that is shorter than
  // its fields announce, or holds a negative or impossible length or count, stops the read;
  // the fields read so far stay. Returns true when the whole form was read.
  bool Load(platform::MemStream* stream);

  // Reads a design file chosen by its extension (".10o"/".00o", ".dst", ".dsb", ".dsz"),
  // then its control file for title and colours, and assigns palette entries to the blocks.
  bool Load(const std::string& path, const TColorInfo& palette);

  void clear();
  void SetUniqueID(int id) { UniqueID = id; }
  bool IsSame(const TStitchItem* other) const;
  int GetStitchSize(int machineType) const;

  TNeedleColor GetFirstNeedleColor(const TColorInfo* palette);
  TNeedleColor GetNextNeedleColor(const TColorInfo* palette);

  void SetRawRect(const TRect& r) { RawRect = r; }
  TRect GetRawRect() const { return RawRect; }
  void SetViewRect(const TRect& r) { ViewRect = r; }
  TRect GetViewRect() const;  // ViewRect moved by Offset
  TPoint CenterPt() const;

  void SetColorCount();
  int GetColorCount() const { return static_cast<int>(Colors.size()); }
  void SetColor(int index, COLORREF color);
  void SetColor(int index, const TEmbColor& color);
  bool GetColor(int index, const TColorInfo* palette, TEmbColor& out) const;
  COLORREF GetColor(int index, const TColorInfo* palette) const;
  void SetMark(int index);
  void ClearMark(int index);
  void GetIndexColor(int index, TEmbColor& out) const;

  TPoint GetStartPos() const;
  bool FindCutFunctionFromLast() const;
  void DeleteExtraNeedle();
  void MoveHome(int dx, int dy);
  void JumpOneByOne(TPoint from, TPoint to);
  // JumpOneByOne, unless that would take more than kMaxInsertedJumps jumps: then the one jump
  // to `to`. No machine follows moves that long, and the records stay bounded.
  void JumpRun(TPoint from, TPoint to);
  void Copy(const TStitchItem& source);

  // Makes every moving record reachable in native records of at most 127 units per axis
  // from the one it is encoded against (the last moving record before it, or record 0), by
  // inserting jumps on the way. Readers call it while they build a design
  // and the native writer before it writes, so files, transfer blocks and the record indexes that
  // machines report all count the same records. Returns the number of jumps inserted;
  // -1 (design unchanged) when that would take more than kMaxInsertedJumps plus one jump per
  // record: no real design has moves that long, and the records stay bounded.
  int LimitMoves();
  static constexpr int kMaxInsertedJumps = 65'536;
  // The jumps LimitMoves puts among `records` that follow a record at `from` (0 when every
  // move fits); counting stops as soon as it passes `limit`.
  static std::int64_t ExtraJumps(TPoint from, std::span<const TEmbPoint> records,
                                 std::int64_t limit);

  TPoint Origin;
  TPoint Offset;
  std::uint8_t Saved = 0;
  std::string FileName;
  std::vector<TEmbPoint> Points;
  std::int32_t UniqueID = 0;
  TRect RawRect;
  TRect ViewRect;
  std::int32_t NeedleIndex = -1;
  std::string Title;
  std::vector<TEmbColor> Colors;
  std::int32_t PenWidth = 0;
  TPoint CrossPos;
  std::uint8_t CrossDrawn = 0;
  std::uint8_t CrossEnabled = 0;

  // Drawing, colour matching and trace painting add their operations below.

  // ---- Drawing (stitchdraw.cpp), colour matching (colormatch.cpp), trace painting
  // (tracepaint.cpp). All drawing clips at the bitmap's edges.

  // Fits the whole design into the bitmap, centred, and returns the zoom. With `clear` the
  // bitmap is first filled with its canvas brush and everything is drawn; otherwise only the
  // records from `first` on. `trace` is the trace position, -1 for none. Outlines the bitmap.
  int Draw(platform::Bitmap& bitmap, bool clear, int first, int trace, const TColorInfo* palette);
  // Fits the whole design into the rectangle (x, y, width, height) of the bitmap, centred,
  // without clearing or outline; returns the zoom.
  int Draw(platform::Bitmap& bitmap, int x, int y, int width, int height,
           const TColorInfo* palette);
  // Renders the records: shaded thread lines, rings on mode jumps, unsewn records in grey
  // and the trace cross. May exchange p->First with `trace` (a backward step).
  void DrawStitch(TDrawParam* p, int trace, const TColorInfo* palette);
  // The trace cross: two 16-pixel strokes drawn with NOT XOR, so drawing twice restores.
  static void XorCross(platform::Canvas& canvas, TPoint point);
  void DrawXorCross(platform::Canvas& canvas, TPoint point);
  void EraseXorCross(platform::Canvas& canvas);

  // Sets every colour block's Index to the nearest selectable palette entry (L*a*b*).
  void ColorMatch(const TColorInfo* palette);

  // Draws the design for a trace view as the trace record's mode says.
  void TracePaint(const TTraceInfo& trace, platform::Bitmap& bitmap, COLORREF background,
                  const TColorInfo* palette);
};
