#include "rpc/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace rpc {
namespace {

std::vector<uint8_t> Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

TEST(FrameDecoder, CutsFramesFedByteByByte) {
  const std::vector<uint8_t> payload = {1, 2, 3};
  auto a = EncodeFrame(FrameKind::kCall, 7, 12, payload);
  auto b = EncodeFrame(FrameKind::kReply, 8, -5, {});
  std::vector<uint8_t> stream = a;
  stream.insert(stream.end(), b.begin(), b.end());

  FrameDecoder d;
  std::vector<Frame> frames;
  for (uint8_t byte : stream) {
    d.Feed(std::span(&byte, 1));
    while (auto f = d.Next()) frames.push_back(std::move(*f));
  }
  ASSERT_FALSE(d.failed());
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].kind, FrameKind::kCall);
  EXPECT_EQ(frames[0].seq, 7u);
  EXPECT_EQ(frames[0].code, 12);
  EXPECT_EQ(frames[0].payload, payload);
  EXPECT_EQ(frames[1].kind, FrameKind::kReply);
  EXPECT_EQ(frames[1].code, -5);
  EXPECT_TRUE(frames[1].payload.empty());
}

TEST(FrameDecoder, RefusesBadHeaders) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> unknownKind = Le32(kBodyHeaderSize);
  unknownKind.insert(unknownKind.end(), {9, 0, 0, 0, 0, 0, 0, 0, 0});
  std::vector<uint8_t> kindZero = Le32(kBodyHeaderSize);
  kindZero.insert(kindZero.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0});
  const Case cases[] = {
      {"length below the body header", Le32(kBodyHeaderSize - 1)},
      {"length zero", Le32(0)},
      {"length above the limit", Le32(static_cast<uint32_t>(kMaxFrameBody + 1))},
      {"length 0xFFFFFFFF", Le32(0xFFFFFFFFu)},
      {"unknown kind", unknownKind},
      {"kind zero", kindZero},
  };
  for (const Case& c : cases) {
    FrameDecoder d;
    d.Feed(c.bytes);
    EXPECT_FALSE(d.Next().has_value()) << c.what;
    EXPECT_TRUE(d.failed()) << c.what;
    // Once failed it stays failed, whatever follows.
    auto good = EncodeFrame(FrameKind::kCall, 1, 1, {});
    d.Feed(good);
    EXPECT_FALSE(d.Next().has_value()) << c.what;
  }
}

TEST(FrameDecoder, WaitsForAnIncompleteFrame) {
  auto f = EncodeFrame(FrameKind::kEvent, 3, 4, std::vector<uint8_t>(100, 0xAB));
  FrameDecoder d;
  d.Feed(std::span(f).first(f.size() - 1));
  EXPECT_FALSE(d.Next().has_value());
  EXPECT_FALSE(d.failed());
  d.Feed(std::span(f).last(1));
  auto frame = d.Next();
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->payload.size(), 100u);
}

// Room made for a large frame once its length is known, behind a frame already taken: the
// large one and the small one after it come out whole.
TEST(FrameDecoder, AFrameExpectedByItsLengthArrivesWhole) {
  auto small = EncodeFrame(FrameKind::kCall, 1, 2, std::vector<uint8_t>{9});
  auto large = EncodeFrame(FrameKind::kCall, 2, 3, std::vector<uint8_t>(300000, 0x5A));
  auto after = EncodeFrame(FrameKind::kReply, 3, 4, std::vector<uint8_t>{7, 7});
  std::vector<uint8_t> stream = small;
  stream.insert(stream.end(), large.begin(), large.end());
  stream.insert(stream.end(), after.begin(), after.end());
  FrameDecoder d;
  std::vector<Frame> frames;
  bool expected = false;
  for (size_t at = 0; at < stream.size(); at += 4096) {
    d.Feed(std::span(stream).subspan(at, std::min<size_t>(4096, stream.size() - at)));
    if (!expected && frames.size() == 1 && d.Announced()) {
      EXPECT_EQ(*d.Announced(), large.size());
      d.Expect(*d.Announced());
      expected = true;
    }
    while (auto f = d.Next()) frames.push_back(std::move(*f));
  }
  ASSERT_TRUE(expected);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[1].payload, std::vector<uint8_t>(300000, 0x5A));
  EXPECT_EQ(frames[2].payload, (std::vector<uint8_t>{7, 7}));
}

TEST(FrameReader, StaysWithinItsBytes) {
  FrameWriter w;
  w.U32(0x01020304);
  w.String("abc");
  w.Blob(std::vector<uint8_t>{9, 8});
  w.U16(0xBEEF);
  w.U8(7);
  FrameReader r(w.bytes());
  EXPECT_EQ(r.U32(), 0x01020304u);
  EXPECT_EQ(r.String(), "abc");
  EXPECT_EQ(r.Blob(), (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(r.U16(), 0xBEEF);
  EXPECT_EQ(r.U8(), 7);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.U8(), 0);
  EXPECT_FALSE(r.ok());
}

TEST(FrameReader, RefusesLengthsBeyondTheDataOrTheLimits) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    bool blob;
  };
  std::vector<uint8_t> longString = Le32(kMaxString + 1);
  longString.resize(longString.size() + kMaxString + 1, 'x');
  const Case cases[] = {
      {"string longer than the payload", {5, 0, 0, 0, 'a', 'b'}, false},
      {"string above the limit", longString, false},
      {"blob longer than the payload", {3, 0, 0, 0, 1}, true},
      {"blob above the limit", Le32(static_cast<uint32_t>(kMaxBlob + 1)), true},
      {"truncated length", {1, 0}, true},
  };
  for (const Case& c : cases) {
    FrameReader r(c.bytes);
    if (c.blob)
      EXPECT_TRUE(r.Blob().empty()) << c.what;
    else
      EXPECT_TRUE(r.String().empty()) << c.what;
    EXPECT_FALSE(r.ok()) << c.what;
  }
}

}  // namespace
}  // namespace rpc
