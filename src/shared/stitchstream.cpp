// The stream form of a design: how it travels from the desktop program to the server.
// All integers little-endian; records are 12 bytes, colour blocks 5 bytes, packed.

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <span>

#include "platform/littleendian.h"
#include "shared/stitch.h"

namespace {

constexpr std::size_t kRecordBytes = 12;
constexpr std::size_t kColorBytes = 5;

void PutI32(std::uint8_t*& out, std::int32_t v) {
  PutU32({out, 4}, 0, static_cast<std::uint32_t>(v));
  out += 4;
}

void PutRecord(std::uint8_t*& out, const TEmbPoint& p) {
  out[0] = p.Func;
  out[1] = out[2] = out[3] = 0;
  out += 4;
  PutI32(out, p.X);
  PutI32(out, p.Y);
}

void PutText(std::uint8_t*& out, const std::string& text) {
  PutI32(out, static_cast<std::int32_t>(text.size() + 1));
  std::memcpy(out, text.data(), text.size());
  out += text.size();
  *out++ = 0;
}

void PutRect(std::uint8_t*& out, const TRect& r) {
  PutI32(out, r.left);
  PutI32(out, r.top);
  PutI32(out, r.right);
  PutI32(out, r.bottom);
}

// Reads the form through the stream's own Read, checking every length against what is left.
class FormReader {
 public:
  explicit FormReader(platform::MemStream& s) : s_(s) {}

  bool I32(std::int32_t& v) {
    std::uint8_t in[4];
    if (s_.Read(in, 4) != 4) return false;
    v = static_cast<std::int32_t>(GetU32(in, 0));
    return true;
  }
  bool Point(TPoint& p) { return I32(p.x) && I32(p.y); }
  bool Rect(TRect& r) { return I32(r.left) && I32(r.top) && I32(r.right) && I32(r.bottom); }

  // A length-prefixed text with its terminating zero; a length of 0 or less is empty text.
  bool Text(std::string& text) {
    std::int32_t len = 0;
    if (!I32(len)) return false;
    if (len <= 0) return true;
    const auto n = static_cast<std::size_t>(len);
    if (n > s_.Remaining()) return false;
    text.resize(n);
    s_.Read(text.data(), n);
    text.resize(n - 1);  // the terminating zero
    return true;
  }

  // A count of items of `size` bytes each that must all lie in the stream.
  bool Count(std::size_t size, std::size_t& count) {
    std::int32_t n = 0;
    if (!I32(n) || n < 0) return false;
    count = static_cast<std::size_t>(n);
    return count <= s_.Remaining() / size;
  }

  bool Records(std::vector<TEmbPoint>& points, std::size_t count) {
    // Through a bounded buffer: the records are most of the form and move in few calls.
    std::array<std::uint8_t, kRecordBytes * 4096> buf;
    points.resize(count);
    for (std::size_t done = 0; done < count;) {
      const std::size_t n = std::min(count - done, buf.size() / kRecordBytes);
      if (s_.Read(buf.data(), n * kRecordBytes) != n * kRecordBytes) return false;
      const std::uint8_t* in = buf.data();
      for (std::size_t i = 0; i < n; ++i, in += kRecordBytes) {
        auto& p = points[done + i];
        p.Func = in[0];
        p.X = static_cast<std::int32_t>(GetU32({in, kRecordBytes}, 4));
        p.Y = static_cast<std::int32_t>(GetU32({in, kRecordBytes}, 8));
      }
      done += n;
    }
    return true;
  }

  bool Colors(std::vector<TEmbColor>& colors, std::size_t count) {
    colors.resize(count);
    for (auto& c : colors) {
      std::uint8_t in[kColorBytes];
      if (s_.Read(in, kColorBytes) != kColorBytes) return false;
      c.Index = in[0];
      c.Color = GetU32(in, 1);
    }
    return true;
  }

 private:
  platform::MemStream& s_;
};

// The records the stream form carries are the design's with a start record at (0, 0) in front
// and an end record behind where they are missing, and every move too long for one native
// record split into jumps, measured from that start as the receiver sends them (LimitMoves).
// Save writes these records and Load leaves a design with them, so whatever loaded once saves
// and loads back unchanged.
void AddStartAndEnd(std::vector<TEmbPoint>& points) {
  if (points.empty()) return;
  if (points.front().Func != sfStart) points.insert(points.begin(), {sfStart, 0, 0});
  if (points.back().Func != sfEnd) points.push_back({sfEnd, 0, 0});
}

// Whether the form's records for `points` need no jump: every move fits as it stands.
bool FormMovesFit(std::span<const TEmbPoint> points) {
  if (points.empty()) return true;
  const bool startAdded = points.front().Func != sfStart;
  const TPoint from = startAdded ? TPoint{0, 0} : TPoint{points[0].X, points[0].Y};
  return TStitchItem::ExtraJumps(from, points.subspan(startAdded ? 0 : 1), 0) == 0;
}

}  // namespace

std::unique_ptr<platform::MemStream> TStitchItem::Save() const {
  // The records go out as they are, with the start and end records written where missing;
  // only a design with a move to split (readers split what they read) goes through a copy.
  TStitchItem split;
  std::span<const TEmbPoint> records = Points;
  if (!FormMovesFit(Points)) {
    split.Points = Points;
    AddStartAndEnd(split.Points);
    split.LimitMoves();
    records = split.Points;
  }
  const bool addStart = !records.empty() && records.front().Func != sfStart;
  const bool addEnd = !records.empty() && records.back().Func != sfEnd;
  const std::size_t n = records.size() + (addStart ? 1 : 0) + (addEnd ? 1 : 0);
  // The counts and lengths are signed 32-bit in the form; a design beyond that cannot go.
  constexpr std::size_t kMax = 0x7FFFFFFE;
  if (n > kMax / kRecordBytes || FileName.size() > kMax || Title.size() > kMax ||
      Colors.size() > kMax / kColorBytes) {
    return nullptr;
  }
  const std::size_t size = 72 + (FileName.size() + 1) + (Title.size() + 1) + kRecordBytes * n +
                           kColorBytes * Colors.size();
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }

  std::uint8_t* out = bytes.data();
  PutI32(out, Origin.x);
  PutI32(out, Origin.y);
  PutI32(out, Offset.x);
  PutI32(out, Offset.y);
  PutText(out, FileName);
  PutI32(out, static_cast<std::int32_t>(n));
  if (addStart) PutRecord(out, {sfStart, 0, 0});
  for (const auto& p : records) PutRecord(out, p);
  if (addEnd) PutRecord(out, {sfEnd, 0, 0});
  PutText(out, Title);
  PutI32(out, static_cast<std::int32_t>(Colors.size()));
  for (const auto& c : Colors) {
    *out++ = c.Index;
    PutU32({out, 4}, 0, c.Color);
    out += 4;
  }
  PutI32(out, UniqueID);
  PutRect(out, RawRect);
  PutRect(out, ViewRect);
  PutI32(out, NeedleIndex);

  auto stream = std::make_unique<platform::MemStream>(std::move(bytes));
  stream->Seek(0, platform::MemStream::SeekOrigin::End);
  return stream;
}

bool TStitchItem::Load(platform::MemStream* stream) {
  Points.clear();
  Colors.clear();
  FileName.clear();
  Title.clear();
  if (stream == nullptr) return false;
  try {
    stream->Seek(0, platform::MemStream::SeekOrigin::Begin);
    FormReader in(*stream);
    std::size_t count = 0;
    // On a short stream or an impossible count the fields read so far stay.
    const bool whole = in.Point(Origin) && in.Point(Offset) && in.Text(FileName) &&
                       in.Count(kRecordBytes, count) && in.Records(Points, count) &&
                       in.Text(Title) && in.Count(kColorBytes, count) && in.Colors(Colors, count) &&
                       in.I32(UniqueID) && in.Rect(RawRect) && in.Rect(ViewRect) &&
                       in.I32(NeedleIndex);
    // A sender that left out the start or end record or did not split its long moves gets
    // them here, so the transfer never carries a clamped move and the design saves as read.
    AddStartAndEnd(Points);
    LimitMoves();
    return whole;
  } catch (const std::bad_alloc&) {
    return false;
  }
}
