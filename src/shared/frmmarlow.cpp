#include "shared/frmmarlow.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/fileutil.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"
#include "shared/stitchpath.h"

namespace {

constexpr std::uint8_t kStartByte = 0x8A;
constexpr std::uint8_t kEndByte = 0x87;
constexpr std::uint8_t kEofByte = 0x1A;
constexpr std::uint8_t kDirLeft = 0x20;  // X shrinks by byte 2
constexpr std::uint8_t kDirDown = 0x40;  // Y grows by byte 1
constexpr std::int32_t kMaxMove = 127;

constexpr std::size_t kCtrlHeaderBytes = 128;
constexpr std::size_t kCtrlTitleAt = 32;
constexpr std::size_t kCtrlTitleMax = 31;
constexpr std::size_t kCtrlRecordBytes = 43;
constexpr std::size_t kCtrlNameAt = 2;
constexpr std::size_t kCtrlNameBytes = 31;
constexpr std::size_t kCtrlRgbAt = 33;

// Control byte of each function code, without direction bits.
constexpr std::array<std::uint8_t, 12> kControlOfFunc{0x80, 0x90, 0x85, 0x8A, 0x82, 0x89,
                                                      0x81, 0x84, 0x83, 0x86, 0x96, 0x87};

// Function code of each record kind (control & 0x1F); -1 where the reader drops it.
constexpr std::array<std::int8_t, 32> kFuncOfKind{sfStitch,
                                                  sfCut,
                                                  sfRepeatColor,
                                                  sfModeOff,
                                                  sfModeOn,
                                                  sfColorChange,
                                                  sfModeJump,
                                                  sfEnd,
                                                  -1,
                                                  sfControl,
                                                  sfStart,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  sfJump,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  sfNativeJump,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1,
                                                  -1};

// Encodes records in order, keeping the position that the next move starts from: the last
// moving record before it, or record 0 (which itself never carries a move). Records that do
// not move carry no move and leave that position alone, so a colour change or a cut away
// from the stitches does not shift the stitch after it.
class RecordEncoder {
 public:
  RecordEncoder(const std::vector<TEmbPoint>& points, std::size_t first) : points_(points) {
    if (points.empty()) return;
    std::size_t ref = 0;
    for (std::size_t j = std::min(first, points.size()); j > 1; --j) {
      if (IsMovingFunc(points[j - 1].Func)) {
        ref = j - 1;
        break;
      }
    }
    refX_ = points[ref].X;
    refY_ = points[ref].Y;
  }

  std::uint8_t Encode(std::size_t i, std::uint8_t& dx, std::uint8_t& dy) {
    dx = dy = 0;
    const auto& p = points_[i];
    if (p.Func >= kControlOfFunc.size()) return 0;
    std::uint8_t control = kControlOfFunc[p.Func];
    if (!IsMovingFunc(p.Func) || i == 0) return control;
    std::int64_t h = static_cast<std::int64_t>(p.X) - refX_;
    std::int64_t v = static_cast<std::int64_t>(refY_) - p.Y;
    if (h < 0) {
      control |= kDirLeft;
      h = -h;
    }
    if (v < 0) {
      control |= kDirDown;
      v = -v;
    }
    dx = static_cast<std::uint8_t>(std::min<std::int64_t>(h, kMaxMove));
    dy = static_cast<std::uint8_t>(std::min<std::int64_t>(v, kMaxMove));
    refX_ = p.X;
    refY_ = p.Y;
    return control;
  }

 private:
  const std::vector<TEmbPoint>& points_;
  std::int32_t refX_ = 0;
  std::int32_t refY_ = 0;
};

// Reads ".10o" records as they come; the state carries over from one chunk to the next.
class DesignDecoder {
 public:
  explicit DesignDecoder(TStitchItem& design) : design_(design) {}

  // Decodes the complete records of bytes (a multiple of 3 except at the end of the file).
  // Returns false once the end record has been read.
  bool Feed(std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; !ended_ && bytes.size() - at >= 3; at += 3) Record(&bytes[at]);
    return !ended_;
  }

  void Finish(bool center) { FinishReadDesign(design_, cursor_.Bounds(), center); }

 private:
  void Record(const std::uint8_t* r) {
    const std::uint8_t control = r[0];
    std::int32_t dx = static_cast<std::int8_t>(r[2]);
    if (control & kDirLeft) dx = -dx;
    std::int32_t dy = -static_cast<std::int32_t>(static_cast<std::int8_t>(r[1]));
    if (control & kDirDown) dy = -dy;
    cursor_.Move(dx, dy);

    const std::int8_t func = kFuncOfKind[control & 0x1F];
    if (func < 0) return;
    const auto f = static_cast<std::uint8_t>(func);
    if (cursor_.IsZeroStitch(f, dx, dy) || cursor_.IsZeroJump(f, dx, dy)) return;
    cursor_.Append(design_, f, dx, dy);
    if (f == sfEnd) ended_ = true;
  }

  TStitchItem& design_;
  TRecordCursor cursor_;
  bool ended_ = false;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading and gives its size.
FilePtr OpenForRead(const std::string& path, std::uint64_t& size) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return nullptr;
  size = std::filesystem::file_size(path, ec);
  return ec ? nullptr : std::move(f);
}

bool WriteAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  return platform::WriteFileAtomically(path, std::span<const std::uint8_t>(bytes));
}

}  // namespace

std::uint8_t TStitchFormatMarlow::GetEmbData(const TStitchItem& design, int index, std::uint8_t& dx,
                                             std::uint8_t& dy) {
  dx = dy = 0;
  if (index < 0 || static_cast<std::size_t>(index) >= design.Points.size()) return 0;
  const auto i = static_cast<std::size_t>(index);
  RecordEncoder encoder(design.Points, i);
  return encoder.Encode(i, dx, dy);
}

std::vector<std::uint8_t> TStitchFormatMarlow::EncodeRecords(const TStitchItem& design,
                                                             std::size_t first, std::size_t count) {
  const std::size_t total = design.Points.size();
  if (first >= total) return {};
  count = std::min(count, total - first);
  std::vector<std::uint8_t> out(3 * count);
  RecordEncoder encoder(design.Points, first);
  for (std::size_t k = 0; k < count; ++k) {
    std::uint8_t dx = 0;
    std::uint8_t dy = 0;
    out[3 * k] = encoder.Encode(first + k, dx, dy);
    out[3 * k + 1] = dy;
    out[3 * k + 2] = dx;
  }
  return out;
}

std::vector<std::uint8_t> TStitchFormatMarlow::BuildDesignFile(const TStitchItem& design) {
  std::vector<std::uint8_t> out(3 * (design.Points.size() + 2) + 1);
  std::size_t at = 0;
  const auto put = [&out, &at](std::uint8_t control, std::uint8_t dy, std::uint8_t dx) {
    out[at] = control;
    out[at + 1] = dy;
    out[at + 2] = dx;
    at += 3;
  };
  put(kStartByte, 0, 0);
  RecordEncoder encoder(design.Points, 0);
  for (std::size_t i = 0; i < design.Points.size(); ++i) {
    std::uint8_t dx = 0;
    std::uint8_t dy = 0;
    const std::uint8_t control = encoder.Encode(i, dx, dy);
    if (control == 0 || control == kStartByte || control == kEndByte) continue;
    put(control, dy, dx);
  }
  put(kEndByte, 0, 0);
  out[at++] = kEofByte;
  out.resize(at);
  return out;
}

void TStitchFormatMarlow::ParseDesignFile(std::span<const std::uint8_t> bytes, TStitchItem& design,
                                          bool center) {
  DesignDecoder decoder(design);
  decoder.Feed(bytes);
  decoder.Finish(center);
}

bool TStitchFormatMarlow::GeneratePolylines(const std::string& path, TStitchItem& design,
                                            bool center) {
  std::uint64_t size = 0;
  FilePtr f = OpenForRead(path, size);
  if (!f || size == 0 || size > kMaxDesignFileBytes) return false;
  // Room for every record up front, so reading costs the records and one small chunk.
  design.Points.reserve(design.Points.size() + static_cast<std::size_t>(size / 3));

  DesignDecoder decoder(design);
  std::vector<std::uint8_t> chunk(3 * 16384);
  std::size_t kept = 0;  // bytes of a partial record carried to the next chunk
  for (;;) {
    const std::size_t got = std::fread(chunk.data() + kept, 1, chunk.size() - kept, f.get());
    const std::size_t have = kept + got;
    const std::size_t whole = have - have % 3;
    if (!decoder.Feed(std::span(chunk.data(), whole))) break;
    kept = have - whole;
    std::memmove(chunk.data(), chunk.data() + whole, kept);
    if (got == 0) break;  // end of file or a read error: what was read stays
  }
  decoder.Finish(center);
  return true;
}

int TStitchFormatMarlow::ParseCtrlFile(std::span<const std::uint8_t> bytes, TStitchItem& design) {
  if (bytes.empty()) return 0;
  if (bytes.size() > kCtrlTitleAt) {
    const auto field =
        bytes.subspan(kCtrlTitleAt, std::min(bytes.size(), kCtrlHeaderBytes) - kCtrlTitleAt);
    const auto end = std::find(field.begin(), field.end(), 0);
    design.Title.assign(field.begin(), end);
  } else {
    design.Title.clear();
  }
  const std::size_t records =
      bytes.size() < kCtrlHeaderBytes ? 0 : (bytes.size() - kCtrlHeaderBytes) / kCtrlRecordBytes;
  const int n = static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(design.GetColorCount()), records));
  bool allBlack = true;
  for (int i = 0; i < n; ++i) {
    const auto rec = bytes.subspan(
        kCtrlHeaderBytes + kCtrlRecordBytes * static_cast<std::size_t>(i), kCtrlRecordBytes);
    const auto name = rec.subspan(kCtrlNameAt, kCtrlNameBytes);
    TEmbColor c;
    c.Index = design.Colors[static_cast<std::size_t>(i)].Index;
    c.Color = RGB(rec[kCtrlRgbAt], rec[kCtrlRgbAt + 1], rec[kCtrlRgbAt + 2]);
    c.Name.assign(name.begin(), std::find(name.begin(), name.end(), 0));
    allBlack = allBlack && c.Color == 0;
    design.SetColor(i, c);
  }
  // A control file whose colours are all black carries none: the loader then uses defaults.
  return n >= 2 && allBlack ? 0 : n;
}

int TStitchFormatMarlow::ReadColorPattern(const std::string& path, TStitchItem& design) {
  const std::string ctrl = FindSiblingFile(path, ".00o");
  std::uint64_t size = 0;
  FilePtr f = OpenForRead(ctrl, size);
  if (!f || size == 0) return 0;
  // Only the header and one record per colour block are ever looked at.
  const std::uint64_t wanted =
      kCtrlHeaderBytes + kCtrlRecordBytes * static_cast<std::uint64_t>(design.GetColorCount());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(size, wanted)));
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
  return ParseCtrlFile(bytes, design);
}

std::vector<std::uint8_t> TStitchFormatMarlow::BuildCtrlFile(const TStitchItem& design,
                                                             const TColorInfo* palette) {
  std::vector<std::uint8_t> out(
      kCtrlHeaderBytes + kCtrlRecordBytes * static_cast<std::size_t>(design.GetColorCount()));
  std::memcpy(out.data() + kCtrlTitleAt, design.Title.data(),
              std::min(design.Title.size(), kCtrlTitleMax));
  for (int i = 0; i < design.GetColorCount(); ++i) {
    TEmbColor c;
    design.GetColor(i, palette, c);
    std::uint8_t* rec =
        out.data() + kCtrlHeaderBytes + kCtrlRecordBytes * static_cast<std::size_t>(i);
    std::memcpy(rec + kCtrlNameAt, c.Name.data(), std::min(c.Name.size(), kCtrlNameBytes));
    rec[kCtrlRgbAt] = GetRValue(c.Color);
    rec[kCtrlRgbAt + 1] = GetGValue(c.Color);
    rec[kCtrlRgbAt + 2] = GetBValue(c.Color);
  }
  return out;
}

bool TStitchFormatMarlow::SaveCtrlFile(const std::string& path, const TStitchItem& design,
                                       const TColorInfo* palette) {
  return WriteAtomically(FindSiblingFile(path, ".00o"), BuildCtrlFile(design, palette));
}

bool TStitchFormatMarlow::Save(const std::string& path, TStitchItem& design,
                               const TColorInfo* palette) {
  // A move the format cannot carry would read back elsewhere: split it, or refuse.
  if (design.LimitMoves() < 0) return false;
  if (!SaveCtrlFile(path, design, palette)) return false;
  if (!WriteAtomically(FindSiblingFile(path, ".10o"), BuildDesignFile(design))) return false;
  design.Saved = 1;
  return true;
}
