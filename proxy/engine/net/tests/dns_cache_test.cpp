#include "proxy/engine/net/dns_cache.h"

#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(DNSCache, FindsExactNamesAndKeepsTheFirstAddress) {
  TDNSCache cache;
  TIPv4Address address{};
  EXPECT_FALSE(cache.Find("a.b", address));
  cache.Add("a.b", {10, 0, 0, 1});
  cache.Add("a.b", {10, 0, 0, 2});
  ASSERT_TRUE(cache.Find("a.b", address));
  EXPECT_EQ(address, (TIPv4Address{10, 0, 0, 1}));
  cache.Add("www.a.com", {1, 2, 3, 4});
  EXPECT_FALSE(cache.Find("WWW.A.COM", address));
  EXPECT_TRUE(cache.Find("www.a.com", address));
}

} // namespace
} // namespace ql
