#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wintypes.h"
#include "shared/stitch.h"

class TColorInfo;
namespace platform {
class Bitmap;
class Canvas;
}  // namespace platform

// A list of designs shown or laid out together: each design has its place in a common layout
// (its Offset, in 96-dpi pixels at zoom 100), the list keeps a display order, a selected
// design and a layout zoom, and combines all designs into one for sending. Machine queues use
// it as a plain list. Operations that take a design index or an order position ignore one out
// of range; the display order always holds each design index exactly once.
class TStitch {
 public:
  TStitch();
  ~TStitch();
  TStitch(TStitch&&) noexcept;
  TStitch& operator=(TStitch&&) noexcept;

  // Loads the file (TStitchItem::Load) and appends it at layout position (x, y), last in the
  // display order, selected. Returns its index, or -1 with the list unchanged.
  int AddFile(const std::string& path, const TColorInfo& palette, int x, int y);
  // Appends a copy of the design, last in the display order; returns its index.
  int AddItem(const TStitchItem& design);

  int GetCount() const { return static_cast<int>(designs_.size()); }
  // Design i, or null when i is out of range. Valid until the list changes.
  TStitchItem* GetItem(int i);
  const TStitchItem* GetItem(int i) const;

  // Centres the designs in an area of width x height screen pixels; with the fit flag the
  // layout zoom is chosen so that they fit.
  void FitToArea(int width, int height);
  void Refit(int width, int height);
  // Union of the designs' view rectangles in the layout; empty (all 0) without designs.
  TRect GetUnionRect() const;

  // Design i fitted into the whole bitmap, cleared first (TStitchItem::Draw).
  void DrawItem(int i, platform::Bitmap& bitmap, const TColorInfo* palette);
  // Design i fitted into the rectangle (x, y, width, height) of the bitmap.
  void DrawItemAt(int i, platform::Bitmap& bitmap, int x, int y, int width, int height,
                  const TColorInfo* palette);
  // A thumbnail of all designs as laid out, in their own colours, filled first with the
  // bitmap canvas's brush. The threads' shades are seeded with `seed`, or with the time when it
  // is empty. Always true.
  bool DrawAll(platform::Bitmap& bitmap, std::optional<std::uint32_t> seed = std::nullopt);
  // The layout view: the given design (the merged one) at the place of the first design in
  // the display order, at the layout zoom, with a mark at the machine's home point, drawn
  // into the off-screen bitmap of width x height and copied onto target at (x, y).
  void DrawLayout(TStitchItem& design, platform::Canvas& target, COLORREF background, int x, int y,
                  int width, int height, const TColorInfo* palette);
  static void ClearBitmap(platform::Bitmap& bitmap);
  // Copies the off-screen bitmap of the last DrawLayout onto the canvas at (0, 0).
  void PaintBuffer(platform::Canvas& canvas) const;

  void MoveOrder(int from, int to);
  int FindOrder(int i) const;
  int GetOrderAt(int position) const;

  int GetZoom(bool last) const { return last ? lastZoom_ : zoom_; }
  void SetFit(bool fit) { fit_ = fit ? 1 : 0; }
  bool GetFit() const { return fit_ != 0; }

  // The design under (x, y) in unzoomed layout pixels: the selected one first, then the
  // first in index order; -1 when none.
  int HitTest(int x, int y) const;
  // i out of range is ignored; any negative i means none.
  void SetSelected(int i);
  int GetSelected() const { return selected_; }
  // The selected design's view rectangle as shown at the layout zoom; false without one.
  bool GetSelectedRect(TRect& out) const;

  // Moves design i by a distance measured on the screen at the layout zoom.
  void MoveItem(int i, int dx, int dy);
  // Removes design i; the selection is cleared.
  void Delete(int i);
  // Removes design i and keeps the same design selected (none when it was design i).
  void EraseItem(int i);
  void Clear();

  // Builds one design from all designs in display order, each keeping its place in the
  // layout relative to the first: cuts, colour changes and jumps join them.
  void MergeItems(TStitchItem& out) const;

 private:
  bool Valid(int i) const { return i >= 0 && i < GetCount(); }
  void RemoveIndex(int i);

  std::vector<TStitchItem> designs_;
  int selected_ = -1;
  int zoom_ = 100;
  int lastZoom_ = 100;
  int fit_ = 1;
  std::unique_ptr<platform::Bitmap> buffer_;  // made by the first DrawLayout
  std::vector<int> order_;
};
