#include "hoopdesk/slp/foundmachine.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::uint32_t Address(const char* text) {
  in_addr address{};
  ::inet_pton(AF_INET, text, &address);
  return address.s_addr;
}

struct UrlCase {
  const char* url;
  bool parsed;
  const char* address;
  int port;
  std::string name;
  std::string mac;
};

TEST(ParseServiceUrl, ReadsAddressPortNameAndMac) {
  const UrlCase cases[] = {
      {"service:sewing-machine://192.168.0.5:5000:EMB-1:00:1a:2b:3c:4d:5e", true, "192.168.0.5",
       5000, "EMB-1", "00:1a:2b:3c:4d:5e"},
      {"service:sewing-machine://10.1.2.3:65535::", true, "10.1.2.3", 65535, "", ""},
      {"service:sewing-machine://10.1.2.3:1:N:00:1a:2b:3c:4d:5e:77:88", true, "10.1.2.3", 1, "N",
       "00:1a:2b:3c:4d:5e"},
      {"service:sewing-machine://10.1.2.3:080:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789:m", true,
       "10.1.2.3", 80, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", "m"},
      {"service:sewing-machine://192.168.0.5:5000", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5:5000:EMB-1", false, "", 0, "", ""},
      {"service:sewing-machine:192.168.0.5:5000:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5:65536:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5:-1:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5: 5000:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://192.168.0.5::EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://255.255.255.255x:5000:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://1.2.3:5000:EMB-1:m", false, "", 0, "", ""},
      {"service:sewing-machine://:5000:EMB-1:m", false, "", 0, "", ""},
  };
  for (const UrlCase& c : cases) {
    slp::TFoundMachine entry{1, 2, "old", "old"};
    EXPECT_EQ(slp::ParseServiceUrl(c.url, entry), c.parsed) << c.url;
    if (!c.parsed) {
      EXPECT_EQ(entry.name, "old") << c.url;
      continue;
    }
    EXPECT_EQ(entry.address, Address(c.address)) << c.url;
    EXPECT_EQ(ntohs(entry.port), c.port) << c.url;
    EXPECT_EQ(entry.name, c.name) << c.url;
    EXPECT_EQ(entry.mac, c.mac) << c.url;
  }
}

TEST(ParseServiceUrl, TakesOnlyAddressesAMachineCanHaveInFourDecimalParts) {
  const struct {
    const char* address;
    bool parsed;
  } cases[] = {
      {"192.168.0.5", true},
      {"127.0.0.1", true},  // a simulated machine on this computer
      {"0.0.0.1", true},
      {"223.255.255.255", true},
      {"240.0.0.1", true},
      {"255.255.255.254", true},
      {"0.0.0.0", false},          // unspecified: reaches this computer
      {"255.255.255.255", false},  // limited broadcast
      {"224.0.0.0", false},        // multicast, 224.0.0.0/4
      {"224.0.0.1", false},
      {"239.255.255.253", false},  // the SLP group itself
      {"239.255.255.255", false},
      // Forms inet_addr takes with another meaning: short, hexadecimal and octal parts.
      {"1", false},
      {"0x7f.1", false},
      {"127.1", false},
      {"10.1.2", false},
      {"0x7f.0.0.1", false},
      {"010.0.0.1", false},
      {"0177.0.0.1", false},
      {"4294967295", false},
      {"1.2.3.4.5", false},
      {"1.2.3.256", false},
      {" 1.2.3.4", false},
      {"1.2.3.4 ", false},
      {"+1.2.3.4", false},
      {"1.2.3.-4", false},
  };
  for (const auto& c : cases) {
    const std::string url = std::string("service:sewing-machine://") + c.address + ":5000:N:m";
    slp::TFoundMachine entry{1, 2, "old", "old"};
    EXPECT_EQ(slp::ParseServiceUrl(url, entry), c.parsed) << c.address;
    if (c.parsed)
      EXPECT_EQ(entry.address, Address(c.address)) << c.address;
    else
      EXPECT_EQ(entry.address, 2u) << c.address;
  }
}

TEST(ParseServiceUrl, RefusesAZeroInsideTheText) {
  using namespace std::string_literals;
  slp::TFoundMachine entry;
  EXPECT_FALSE(slp::ParseServiceUrl("service:sewing-machine://10.0.0.1:5000:A\0B:m"s, entry));
}

TEST(SortFoundMachines, OrdersByAddressThenPortAsNumbers) {
  const auto machine = [](const char* address, std::uint16_t port, const char* name) {
    return slp::TFoundMachine{htons(port), Address(address), name, ""};
  };
  std::vector<slp::TFoundMachine> list = {
      machine("10.0.0.10", 5000, "ten"),        machine("10.0.0.9", 10000, "nine-b"),
      machine("10.0.0.9", 900, "nine-a"),       machine("9.255.255.255", 1, "first"),
      machine("10.0.0.9", 10000, "nine-b-two"),
  };
  slp::SortFoundMachines(list);
  std::vector<std::string> names;
  for (const auto& entry : list) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"first", "nine-a", "nine-b", "nine-b-two", "ten"}));
}

}  // namespace
