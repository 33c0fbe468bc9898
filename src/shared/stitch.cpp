#include "shared/stitch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "shared/common.h"
#include "shared/intmath.h"

namespace {

// Number of steps of at most 127 units per axis from one point to another.
std::int64_t StepCount(TPoint from, TPoint to) {
  const std::int64_t ax = std::llabs(static_cast<std::int64_t>(to.x) - from.x);
  const std::int64_t ay = std::llabs(static_cast<std::int64_t>(to.y) - from.y);
  if (ax <= 127 && ay <= 127) return ax > 0 || ay > 0 ? 1 : 0;  // the usual stitch
  return std::max((ax + 126) / 127, (ay + 126) / 127);
}

// Appends the intermediate points of an n-step run from one point to another as jumps,
// each no more than 127 units from the one before; the target itself is not appended.
void AppendIntermediateJumps(std::vector<TEmbPoint>& out, TPoint from, TPoint to, std::int64_t n) {
  if (n <= 1) return;
  const double stepX = static_cast<double>(static_cast<std::int64_t>(to.x) - from.x) / n;
  const double stepY = static_cast<double>(static_cast<std::int64_t>(to.y) - from.y) / n;
  for (std::int64_t i = 1; i < n; ++i) {
    const auto ox = static_cast<std::int64_t>(std::trunc(static_cast<double>(i) * stepX));
    const auto oy = static_cast<std::int64_t>(std::trunc(static_cast<double>(i) * stepY));
    out.push_back({sfJump, intmath::Wrap(from.x + ox), intmath::Wrap(from.y + oy)});
  }
}

}  // namespace

void TStitchItem::clear() {
  Points.clear();
  Colors.clear();
}

bool TStitchItem::IsSame(const TStitchItem* other) const {
  return other != nullptr && GetStitchSize(0) == other->GetStitchSize(0) &&
         UniqueID == other->UniqueID;
}

int TStitchItem::GetStitchSize(int machineType) const {
  const std::size_t limit = std::numeric_limits<int>::max();
  int n = static_cast<int>(std::min(Points.size(), limit));
  if (machineType == 0x20 && !Points.empty() && Points.front().Func == sfStart) --n;
  return n;
}

TRect TStitchItem::GetViewRect() const { return intmath::Moved(ViewRect, Offset.x, Offset.y); }

TPoint TStitchItem::CenterPt() const { return CenterPoint(ViewRect); }

void TStitchItem::SetColorCount() {
  const auto changes = std::count_if(Points.begin(), Points.end(),
                                     [](const TEmbPoint& p) { return p.Func == sfColorChange; });
  Colors.resize(static_cast<std::size_t>(changes) + 1);
}

void TStitchItem::SetColor(int index, COLORREF color) {
  if (index >= 0 && index < GetColorCount()) Colors[static_cast<std::size_t>(index)].Color = color;
}

void TStitchItem::SetColor(int index, const TEmbColor& color) {
  if (index >= 0 && index < GetColorCount()) {
    Colors[static_cast<std::size_t>(index)] = {0, color.Index, color.Color, color.Name};
  }
}

void TStitchItem::SetMark(int index) {
  if (index >= 0 && index < GetColorCount()) {
    auto& mark = Colors[static_cast<std::size_t>(index)].Mark;
    mark = mark == 0 ? 1 : 0;
  }
}

void TStitchItem::ClearMark(int index) {
  if (index >= 0 && index < GetColorCount()) {
    auto& mark = Colors[static_cast<std::size_t>(index)].Mark;
    if (mark == 1) mark = 0;
  }
}

void TStitchItem::GetIndexColor(int index, TEmbColor& out) const {
  // Callers keep the index valid; an invalid one still yields an empty block, never a
  // read outside the vector.
  out =
      index >= 0 && index < GetColorCount() ? Colors[static_cast<std::size_t>(index)] : TEmbColor{};
}

TPoint TStitchItem::GetStartPos() const {
  for (const auto& p : Points) {
    if (IsMovingFunc(p.Func)) return {p.X, p.Y};
  }
  return {0, 0};
}

bool TStitchItem::FindCutFunctionFromLast() const {
  for (auto it = Points.rbegin(); it != Points.rend(); ++it) {
    if (it->Func == sfStitch || it->Func == sfModeJump) return false;
    if (it->Func == sfCut) return true;
  }
  return false;
}

void TStitchItem::DeleteExtraNeedle() {
  for (auto it = Points.rbegin(); it != Points.rend(); ++it) {
    if (it->Func == sfStitch) return;
    if (it->Func == sfColorChange) {
      Points.erase(std::next(it).base());
      return;
    }
  }
}

void TStitchItem::MoveHome(int dx, int dy) {
  // A leading run of jumps and start records: drop it from its first jump on.
  const auto runEnd = std::find_if(Points.begin(), Points.end(), [](const TEmbPoint& p) {
    return p.Func != sfJump && p.Func != sfStart;
  });
  const auto firstJump =
      std::find_if(Points.begin(), runEnd, [](const TEmbPoint& p) { return p.Func == sfJump; });
  Points.erase(firstJump, runEnd);

  RawRect = {0, 0, 0, 0};
  for (auto& p : Points) {
    if (p.Func == sfStart) continue;
    p.X = intmath::Add(p.X, dx);
    p.Y = intmath::Add(p.Y, dy);
    ExtendRect(RawRect, {p.X, p.Y});
  }
  Origin = CenterPoint(RawRect);
  ViewRect = intmath::ViewOf(RawRect, Origin);

  const auto first = std::find_if(Points.begin(), Points.end(), [](const TEmbPoint& p) {
    return p.Func == sfStitch || p.Func == sfJump;
  });
  const TPoint target = first == Points.end() ? TPoint{0, 0} : TPoint{first->X, first->Y};
  TStitchItem run;
  run.JumpRun({0, 0}, target);
  run.Points.push_back({sfJump, target.x, target.y});
  Points.insert(first, run.Points.begin(), run.Points.end());
}

void TStitchItem::JumpOneByOne(TPoint from, TPoint to) {
  AppendIntermediateJumps(Points, from, to, StepCount(from, to));
  Points.push_back({sfJump, to.x, to.y});
}

void TStitchItem::JumpRun(TPoint from, TPoint to) {
  const std::int64_t dx = std::llabs(std::int64_t{to.x} - from.x);
  const std::int64_t dy = std::llabs(std::int64_t{to.y} - from.y);
  if (std::max(dx, dy) / 127 > kMaxInsertedJumps)
    Points.push_back({sfJump, to.x, to.y});
  else
    JumpOneByOne(from, to);
}

void TStitchItem::Copy(const TStitchItem& source) {
  Colors = source.Colors;
  Points = source.Points;
  Origin = source.Origin;
  Offset = source.Offset;
  RawRect = source.RawRect;
  // The stored view rectangle, not GetViewRect: Offset is copied too, and GetViewRect of
  // the copy adds it again.
  ViewRect = source.ViewRect;
}

std::int64_t TStitchItem::ExtraJumps(TPoint from, std::span<const TEmbPoint> records,
                                     std::int64_t limit) {
  std::int64_t extra = 0;
  TPoint ref = from;
  for (const auto& p : records) {
    if (!IsMovingFunc(p.Func)) continue;
    extra += std::max<std::int64_t>(StepCount(ref, {p.X, p.Y}) - 1, 0);
    if (extra > limit) break;
    ref = {p.X, p.Y};
  }
  return extra;
}

int TStitchItem::LimitMoves() {
  // Record 0 carries no move: the moves after it are measured from it.
  if (Points.empty()) return 0;
  const TPoint from{Points[0].X, Points[0].Y};
  const auto limit = static_cast<std::int64_t>(kMaxInsertedJumps + Points.size());
  const std::int64_t extra = ExtraJumps(from, std::span(Points).subspan(1), limit);
  if (extra > limit) return -1;
  if (extra == 0) return 0;

  TPoint ref = from;
  std::vector<TEmbPoint> out;
  out.reserve(Points.size() + static_cast<std::size_t>(extra));
  out.push_back(Points[0]);
  for (std::size_t i = 1; i < Points.size(); ++i) {
    const auto& p = Points[i];
    if (IsMovingFunc(p.Func)) {
      const TPoint to{p.X, p.Y};
      AppendIntermediateJumps(out, ref, to, StepCount(ref, to));
      ref = to;
    }
    out.push_back(p);
  }
  Points = std::move(out);
  return static_cast<int>(extra);
}
