#include "shared/stitchlist.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "shared/intmath.h"

namespace {

// A layout length in 96-dpi pixels as 0.1 mm.
std::int64_t ToTenthMm(std::int32_t pixels) { return static_cast<std::int64_t>(pixels) * 254 / 96; }

TRect Union(const TRect& a, const TRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool Contains(const TRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

std::int32_t Scale(std::int32_t v, int numerator, int denominator) {
  return intmath::Wrap(static_cast<std::int64_t>(v) * numerator / denominator);
}

// The zoom that fits a length into the area's length, 100 when it fits already. A length
// of 0 or less always fits.
int FitZoom(std::int64_t area, std::int64_t length) {
  if (length <= 0 || area >= length) return 100;
  // Only a negative area can fall below the int range.
  return static_cast<int>(
      std::max<std::int64_t>(area * 100 / length, std::numeric_limits<int>::min()));
}

}  // namespace

int TStitch::AddFile(const std::string& path, const TColorInfo& palette, int x, int y) {
  TStitchItem design;
  if (!design.Load(path, palette)) return -1;
  design.Offset = {x, y};
  design.FileName = path;
  designs_.push_back(std::move(design));
  const int index = GetCount() - 1;
  order_.push_back(index);
  selected_ = index;
  return index;
}

int TStitch::AddItem(const TStitchItem& design) {
  designs_.push_back(design);
  const int index = GetCount() - 1;
  order_.push_back(index);
  return index;
}

TStitchItem* TStitch::GetItem(int i) {
  return Valid(i) ? &designs_[static_cast<std::size_t>(i)] : nullptr;
}

const TStitchItem* TStitch::GetItem(int i) const {
  return Valid(i) ? &designs_[static_cast<std::size_t>(i)] : nullptr;
}

void TStitch::FitToArea(int width, int height) {
  const TRect u = GetUnionRect();
  const std::int64_t uw = static_cast<std::int64_t>(u.right) - u.left;
  const std::int64_t uh = static_cast<std::int64_t>(u.bottom) - u.top;
  std::int64_t w = width, h = height;
  if (fit_ != 0) {
    zoom_ = std::min(FitZoom(w, uw), FitZoom(h, uh));
    w = zoom_ > 0 ? w * 100 / zoom_ : 0;
    h = zoom_ > 0 ? h * 100 / zoom_ : 0;
  } else {
    zoom_ = 100;
  }
  const std::int32_t dx = intmath::Wrap((w - uw) / 2 - u.left);
  const std::int32_t dy = intmath::Wrap((h - uh) / 2 - u.top);
  for (TStitchItem& d : designs_)
    d.Offset = {intmath::Add(d.Offset.x, dx), intmath::Add(d.Offset.y, dy)};
}

void TStitch::Refit(int width, int height) {
  if (fit_ != 0) FitToArea(width, height);
}

TRect TStitch::GetUnionRect() const {
  if (designs_.empty()) return {};
  TRect u = designs_.front().GetViewRect();
  for (const TStitchItem& d : designs_) u = Union(u, d.GetViewRect());
  return u;
}

void TStitch::MoveOrder(int from, int to) {
  const int n = static_cast<int>(order_.size());
  if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
  const auto first = order_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
}

int TStitch::FindOrder(int i) const {
  const auto it = std::find(order_.begin(), order_.end(), i);
  return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

int TStitch::GetOrderAt(int position) const {
  if (position < 0 || position >= static_cast<int>(order_.size())) return -1;
  return order_[static_cast<std::size_t>(position)];
}

int TStitch::HitTest(int x, int y) const {
  if (Valid(selected_) &&
      Contains(designs_[static_cast<std::size_t>(selected_)].GetViewRect(), x, y))
    return selected_;
  for (int i = 0; i < GetCount(); ++i)
    if (Contains(designs_[static_cast<std::size_t>(i)].GetViewRect(), x, y)) return i;
  return -1;
}

void TStitch::SetSelected(int i) {
  if (i < 0)
    selected_ = -1;
  else if (i < GetCount())
    selected_ = i;
}

bool TStitch::GetSelectedRect(TRect& out) const {
  if (!Valid(selected_)) return false;
  out = designs_[static_cast<std::size_t>(selected_)].GetViewRect();
  if (zoom_ < 100)
    out = {Scale(out.left, zoom_, 100), Scale(out.top, zoom_, 100), Scale(out.right, zoom_, 100),
           Scale(out.bottom, zoom_, 100)};
  return true;
}

void TStitch::MoveItem(int i, int dx, int dy) {
  if (!Valid(i)) return;
  if (zoom_ < 100) {
    dx = zoom_ > 0 ? Scale(dx, 100, zoom_) : 0;
    dy = zoom_ > 0 ? Scale(dy, 100, zoom_) : 0;
  }
  TPoint& offset = designs_[static_cast<std::size_t>(i)].Offset;
  offset = {intmath::Add(offset.x, dx), intmath::Add(offset.y, dy)};
}

void TStitch::RemoveIndex(int i) {
  designs_.erase(designs_.begin() + i);
  std::erase(order_, i);
  for (int& entry : order_)
    if (entry > i) --entry;
}

void TStitch::Delete(int i) {
  if (!Valid(i)) return;
  RemoveIndex(i);
  selected_ = -1;
}

void TStitch::EraseItem(int i) {
  if (!Valid(i)) return;
  RemoveIndex(i);
  if (selected_ == i)
    selected_ = -1;
  else if (selected_ > i)
    --selected_;
}

void TStitch::Clear() {
  designs_.clear();
  order_.clear();
  selected_ = -1;
}

void TStitch::MergeItems(TStitchItem& out) const {
  out.clear();
  out.Origin = {};
  out.Offset = {};
  out.Points.push_back({sfStart, 0, 0});
  TRect raw, view;
  TPoint base, last;
  int changes = 0;  // colour changes in out so far
  for (std::size_t k = 0; k < order_.size(); ++k) {
    const TStitchItem& d = designs_[static_cast<std::size_t>(order_[k])];
    // Where d lies against the first design, in 0.1 mm.
    const TPoint place{intmath::Wrap(ToTenthMm(d.Offset.x) - d.Origin.x),
                       intmath::Wrap(ToTenthMm(d.Offset.y) - d.Origin.y)};
    TPoint shift;
    bool continuesBlock = false;
    if (k == 0) {
      out.Origin = d.Origin;
      out.Offset = d.Offset;
      base = place;
      raw = d.GetRawRect();
      view = d.GetViewRect();
    } else {
      shift = {intmath::Wrap(static_cast<std::int64_t>(place.x) - base.x),
               intmath::Wrap(static_cast<std::int64_t>(place.y) - base.y)};
      raw = Union(raw, intmath::Moved(d.GetRawRect(), shift.x, shift.y));
      view = Union(view, d.GetViewRect());
      if (!out.FindCutFunctionFromLast()) out.Points.push_back({sfCut, last.x, last.y});
      const TStitchItem& previous = designs_[static_cast<std::size_t>(order_[k - 1])];
      continuesBlock = !d.Colors.empty() && !previous.Colors.empty() &&
                       d.Colors.front().Color == previous.Colors.back().Color;
      if (!continuesBlock) {
        out.Points.push_back({sfColorChange, last.x, last.y});
        ++changes;
      }
      const TPoint start = d.GetStartPos();
      out.JumpRun(last, {intmath::Add(start.x, shift.x), intmath::Add(start.y, shift.y)});
    }
    // d's block j is used from d's j-th colour change on, which here is the slot below.
    const int firstSlot = changes;
    for (const TEmbPoint& p : d.Points) {
      if (p.Func == sfStart || p.Func == sfEnd) continue;
      last = {intmath::Add(p.X, shift.x), intmath::Add(p.Y, shift.y)};
      out.Points.push_back({p.Func, last.x, last.y});
      if (p.Func == sfColorChange) ++changes;
    }
    // One block per colour change so far and one before the first: the count kept above,
    // rather than a pass over every merged record for each design.
    out.Colors.resize(static_cast<std::size_t>(changes) + 1);
    // A design with more blocks than colour changes brings blocks nothing uses: they are
    // left out rather than written past the merged design's blocks.
    for (std::size_t j = continuesBlock ? 1 : 0; j < d.Colors.size(); ++j) {
      const std::size_t slot = static_cast<std::size_t>(firstSlot) + j;
      if (slot >= out.Colors.size()) break;
      const TEmbColor& c = d.Colors[j];
      out.Colors[slot] = TEmbColor{0, c.Index, c.Color, c.Name};
    }
  }
  out.Points.push_back({sfEnd, 0, 0});
  out.SetRawRect(raw);
  out.SetViewRect(intmath::Moved(view, intmath::Wrap(-static_cast<std::int64_t>(out.Offset.x)),
                                 intmath::Wrap(-static_cast<std::int64_t>(out.Offset.y))));
}
