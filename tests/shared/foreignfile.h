#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "movingpath.h"
#include "shared/stitch.h"

// Byte-built foreign stitch files for the reader tests.
namespace foreigntest {

struct Rec {
  std::uint8_t b0, b1, b2;
};

// The records, as they follow the header.
inline std::vector<std::uint8_t> Body(std::initializer_list<Rec> records) {
  // Sized first and filled in place: growing it record by record makes g++ 12 warn falsely.
  std::vector<std::uint8_t> bytes(3 * records.size());
  auto out = bytes.begin();
  for (const Rec& r : records) {
    *out++ = r.b0;
    *out++ = r.b1;
    *out++ = r.b2;
  }
  return bytes;
}

// A whole file: a header of 512 bytes of noise (nobody may read it), then the body.
inline std::vector<std::uint8_t> File(const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> bytes(512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

// Writes the bytes to path and returns it as a string.
inline std::string WriteBytes(const std::filesystem::path& path,
                              const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

// A fresh folder for the running test.
inline std::filesystem::path TestFolder() {
  const auto dir = std::filesystem::path(::testing::TempDir()) /
                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::create_directories(dir);
  return dir;
}

using Point = std::tuple<int, int, int>;  // code, x, y

inline std::vector<Point> Points(const TStitchItem& design) {
  std::vector<Point> out;
  for (const TEmbPoint& p : design.Points) out.emplace_back(p.Func, p.X, p.Y);
  return out;
}

inline std::vector<int> Codes(const TStitchItem& design) {
  std::vector<int> out;
  for (const TEmbPoint& p : design.Points) out.push_back(p.Func);
  return out;
}

// Reads the records with the reader (they must read) and gives the points.
template <class Reader>
std::vector<Point> ReadPoints(std::initializer_list<Rec> records) {
  TStitchItem design;
  EXPECT_TRUE(Reader{}.Parse(Body(records), design, true));
  return Points(design);
}

// One record that must read as a single stitch at (dx, dy).
struct MoveCase {
  Rec record;
  int dx, dy;
};

template <class Reader>
void ExpectMoves(std::span<const MoveCase> cases) {
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << int(c.record.b0) << " " << int(c.record.b1)
                                      << " " << int(c.record.b2));
    EXPECT_EQ(ReadPoints<Reader>({c.record}), (std::vector<Point>{{0, c.dx, c.dy}}));
  }
}

// A control value and the code it gives; -1 when the record gives nothing.
struct ControlCase {
  std::uint8_t control;
  int code;
};

// Each control value in a record without a move, between two stitches of one unit right.
template <class Reader>
void ExpectControls(std::span<const ControlCase> cases, Rec step,
                    Rec (*record)(std::uint8_t control)) {
  for (const ControlCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << int(c.control));
    std::vector<Point> expected{{0, 1, 0}};
    if (c.code >= 0) expected.emplace_back(c.code, 1, 0);
    expected.emplace_back(0, 2, 0);
    EXPECT_EQ(ReadPoints<Reader>({step, record(c.control), step}), expected);
  }
}

// A run of records and the points it must give.
struct SequenceCase {
  const char* name;
  std::initializer_list<Rec> records;
  std::vector<Point> points;
};

template <class Reader>
void ExpectSequences(std::span<const SequenceCase> cases) {
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadPoints<Reader>(c.records), c.points);
  }
}

}  // namespace foreigntest
