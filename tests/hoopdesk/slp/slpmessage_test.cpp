#include "hoopdesk/slp/slpmessage.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hoopdesk/slp/foundmachine.h"
#include "sim/slpagentwire.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DiscoveryRequest, IsTheShortRequestEveryMachineAnswers) {
  const std::string type = "service:sewing-machine";
  Bytes expected = {2, 1, 0, 0, 42, 0x20, 0, 0, 0, 0, 0, 7, 0, 2, 'e', 'n', 0, 0, 0, 22};
  expected.insert(expected.end(), type.begin(), type.end());
  EXPECT_EQ(slp::DiscoveryRequest(), expected);
}

TEST(ServiceRequest, FullFormCarriesScopePredicateAndEmptySecurityIndex) {
  slp::TServiceRequest request;
  request.flags = 0;
  request.xid = 0x1234;
  request.previousResponders = "10.0.0.1";
  request.serviceType = "service:x";
  request.scopes = "DEFAULT";
  request.predicate = "(a=1)";
  const Bytes bytes = slp::EncodeServiceRequest(request);
  Bytes expected = {2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34, 0, 2, 'e', 'n'};
  for (const std::string field : {"10.0.0.1", "service:x", "DEFAULT", "(a=1)", ""}) {
    expected.push_back(0);
    expected.push_back(static_cast<std::uint8_t>(field.size()));
    expected.insert(expected.end(), field.begin(), field.end());
  }
  expected[4] = static_cast<std::uint8_t>(expected.size());
  EXPECT_EQ(bytes, expected);

  const auto parsed = sim::ParseServiceRequest(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->previousResponders, "10.0.0.1");
  EXPECT_EQ(parsed->scopes, "DEFAULT");
  EXPECT_EQ(parsed->predicate, "(a=1)");
}

// A reply of one URL; the header (and the counts before the URL) hold zero bytes, as every real
// reply does.
Bytes Reply(const std::string& url, std::uint16_t xid = slp::kDiscoveryXid) {
  const slp::TUrlEntry entry{60, url};
  return sim::EncodeServiceReply(xid, "en", {&entry, 1});
}

const std::string kGoodUrl = "service:sewing-machine://192.168.0.5:5000:EMB-1:00:1a:2b:3c:4d:5e";

// The URL's offset in a reply of Reply(): header 16, error 2, count 2, reserved 1, lifetime 2,
// length 2.
constexpr std::size_t kUrlOffset = 25;

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

Bytes Appended(Bytes bytes, const Bytes& tail) {
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

// A good reply whose one URL entry carries an authentication block of `blockLength` bytes.
Bytes ReplyWithAuthBlock(std::uint16_t blockLength) {
  Bytes bytes = Reply(kGoodUrl);
  bytes.back() = 1;  // one authentication block
  const Bytes block = {0x00,
                       0x02,
                       static_cast<std::uint8_t>(blockLength >> 8),
                       static_cast<std::uint8_t>(blockLength),
                       1,
                       2,
                       3,
                       4,
                       0,
                       0};
  bytes.insert(bytes.end(), block.begin(), block.end());
  bytes[4] = static_cast<std::uint8_t>(bytes.size());
  return bytes;
}

struct MachineText {
  std::string address;
  int port;
  std::string name;
  std::string mac;
  bool operator==(const MachineText&) const = default;
};

std::ostream& operator<<(std::ostream& out, const MachineText& m) {
  return out << m.address << ':' << m.port << ':' << m.name << ':' << m.mac;
}

// What the main window would get from the datagram: the machines of a reply to the short request.
std::vector<MachineText> MachinesIn(const Bytes& datagram) {
  std::vector<MachineText> machines;
  const auto reply = slp::ParseServiceReply(datagram, slp::kDiscoveryXid);
  if (!reply) return machines;
  for (const slp::TUrlEntry& url : reply->urls) {
    slp::TFoundMachine found;
    if (!slp::ParseServiceUrl(url.url, found)) continue;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &found.address, text, sizeof text);
    machines.push_back({text, ntohs(found.port), found.name, found.mac});
  }
  return machines;
}

struct ReplyCase {
  const char* what;
  Bytes datagram;
  std::vector<MachineText> machines;
};

TEST(ServiceReply, YieldsOnlyTheMachinesAWellFormedAnswerNames) {
  const MachineText emb1{"192.168.0.5", 5000, "EMB-1", "00:1a:2b:3c:4d:5e"};
  const std::vector<slp::TUrlEntry> two = {{60, "service:sewing-machine://10.0.0.2:5001:B:m"},
                                           {60, "service:sewing-machine://10.0.0.1:5000:A:m"}};
  const Bytes good = Reply(kGoodUrl);
  const ReplyCase cases[] = {
      {"a good reply", good, {emb1}},
      {"two URLs in one reply",
       sim::EncodeServiceReply(7, "en", two),
       {{"10.0.0.2", 5001, "B", "m"}, {"10.0.0.1", 5000, "A", "m"}}},
      {"an authentication block is skipped", ReplyWithAuthBlock(10), {emb1}},
      {"an authentication block shorter than its own header", ReplyWithAuthBlock(3), {}},
      {"an authentication block past the end", ReplyWithAuthBlock(200), {}},
      {"bytes after the message length are ignored", Appended(good, {0xFF, 0xFF}), {emb1}},
      {"an error code", sim::EncodeServiceReply(7, "en", {}, 4), {}},
      {"version 1", WithByte(good, 0, 1), {}},
      {"a service request, not a reply", WithByte(good, 1, slp::kServiceRequest), {}},
      {"an attribute reply", WithByte(good, 1, 7), {}},
      {"a foreign transaction id", Reply(kGoodUrl, 8), {}},
      {"a length beyond the datagram",
       WithByte(good, 4, static_cast<std::uint8_t>(good.size() + 1)),
       {}},
      {"a length that ends inside the URL", WithByte(good, 4, kUrlOffset + 4), {}},
      {"a length shorter than the header", WithByte(good, 4, 13), {}},
      {"a URL longer than the datagram", WithByte(good, kUrlOffset - 1, 0xF0), {}},
      {"more URL entries than sent", WithByte(good, 19, 2), {}},
      {"a language tag past the end", WithByte(good, 13, 0xF0), {}},
      {"a zero inside the URL", WithByte(good, kUrlOffset + 30, 0), {}},
      {"a bad address", Reply("service:sewing-machine://192.168.0.500:5000:EMB-1:m"), {}},
      {"an address of words", Reply("service:sewing-machine://garbage:5000:EMB-1:m"), {}},
      {"port 70000", Reply("service:sewing-machine://192.168.0.5:70000:EMB-1:m"), {}},
      {"port 0", Reply("service:sewing-machine://192.168.0.5:0:EMB-1:m"), {}},
      {"a port with letters", Reply("service:sewing-machine://192.168.0.5:50x0:EMB-1:m"), {}},
      {"no name", Reply("service:sewing-machine://192.168.0.5:5000"), {}},
      {"an empty datagram", {}, {}},
      {"a bare text with colons", Bytes(kGoodUrl.begin(), kGoodUrl.end()), {}},
  };
  for (const ReplyCase& c : cases) {
    EXPECT_EQ(MachinesIn(c.datagram), c.machines) << c.what;
  }
}

TEST(ServiceReply, EveryCutOfAGoodReplyIsRefused) {
  const Bytes good = Reply(kGoodUrl);
  for (std::size_t size = 0; size < good.size(); ++size) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(slp::ParseServiceReply(cut, slp::kDiscoveryXid)) << "cut at " << size;
  }
}

TEST(ServiceReply, KeepsTheLifetimeAndTheUrlAsSent) {
  const auto reply = slp::ParseServiceReply(Reply(kGoodUrl, 0xBEEF), 0xBEEF);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->errorCode, 0);
  ASSERT_EQ(reply->urls.size(), 1u);
  EXPECT_EQ(reply->urls[0].lifetime, 60);
  EXPECT_EQ(reply->urls[0].url, kGoodUrl);
}

}  // namespace
