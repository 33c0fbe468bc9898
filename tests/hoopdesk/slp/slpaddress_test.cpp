#include "hoopdesk/slp/slpaddress.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <string>

#include "scopedenv.h"

namespace {

std::string Text(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

TEST(ParseHostPort, TakesAnIpv4AddressOrALocalNameAndAPortFrom1To65535) {
  const struct {
    const char* text;
    const char* expected;  // nullptr: refused
  } cases[] = {
      {"127.0.0.1:427", "127.0.0.1:427"},
      {"127.0.0.1:65535", "127.0.0.1:65535"},
      {"localhost:4270", "127.0.0.1:4270"},
      {"127.0.0.1:0", nullptr},
      {"127.0.0.1:65536", nullptr},
      {"127.0.0.1:+5", nullptr},
      {"127.0.0.1:12x", nullptr},
      {"127.0.0.1:", nullptr},
      {"127.0.0.1", nullptr},
      {":427", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto parsed = slp::ParseHostPort(c.text);
    if (c.expected == nullptr) {
      EXPECT_FALSE(parsed) << c.text;
    } else {
      ASSERT_TRUE(parsed) << c.text;
      EXPECT_EQ(Text(*parsed), c.expected) << c.text;
    }
  }
}

TEST(ServiceRequestDestination, IsTheMulticastGroupUnlessTheVariableNamesAnother) {
  {
    const ScopedEnv unset(slp::kSlpAddressVariable, nullptr);
    const auto destination = slp::ServiceRequestDestination();
    ASSERT_TRUE(destination);
    EXPECT_EQ(Text(*destination), "239.255.255.253:427");
  }
  {
    const ScopedEnv set(slp::kSlpAddressVariable, "127.0.0.1:4270");
    const auto destination = slp::ServiceRequestDestination();
    ASSERT_TRUE(destination);
    EXPECT_EQ(Text(*destination), "127.0.0.1:4270");
  }
  {
    const ScopedEnv bad(slp::kSlpAddressVariable, "127.0.0.1");
    EXPECT_FALSE(slp::ServiceRequestDestination());
  }
}

}  // namespace
