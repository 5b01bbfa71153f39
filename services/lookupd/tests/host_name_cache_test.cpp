#include <gtest/gtest.h>

#include <chrono>

#include "host_name_cache.h"
#include "lookupd_fakes.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::Address;

class LookupdHostNameCacheTest : public ::testing::Test {
  protected:
    static HostNameCacheLimits Limits(std::size_t addresses) {
        HostNameCacheLimits limits;
        limits.addresses = addresses;
        limits.nameLifetime = seconds(300);
        limits.failureLifetime = seconds(60);
        return limits;
    }

    static std::optional<std::string> NameIn(const std::optional<HostNameCache::Outcome>& outcome) {
        return outcome ? outcome->name : std::optional<std::string>("(not cached)");
    }

    HostNameCache::Clock::time_point start = HostNameCache::Clock::now();
    const std::uint32_t named = Address(8, 8, 8, 8);
    const std::uint32_t nameless = Address(9, 9, 9, 9);
};

TEST_F(LookupdHostNameCacheTest, NamesAndFailuresLastTheirOwnLifetimes) {
    HostNameCache cache(Limits(16));
    cache.Store(named, "dns.google", start);
    cache.Store(nameless, std::nullopt, start);

    EXPECT_EQ(NameIn(cache.Find(named, start + seconds(59))), "dns.google");
    EXPECT_EQ(NameIn(cache.Find(nameless, start + seconds(59))), std::nullopt);
    EXPECT_EQ(NameIn(cache.Find(nameless, start + seconds(60))), "(not cached)");
    EXPECT_EQ(NameIn(cache.Find(named, start + seconds(299))), "dns.google");
    EXPECT_EQ(NameIn(cache.Find(named, start + seconds(300))), "(not cached)");
    EXPECT_EQ(cache.size(), 0u);  // expired entries leave when found
}

TEST_F(LookupdHostNameCacheTest, AFullCacheForgetsTheAddressUsedLeastRecently) {
    HostNameCache cache(Limits(2));
    cache.Store(Address(1, 0, 0, 1), "one", start);
    cache.Store(Address(1, 0, 0, 2), "two", start);
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 1), start)), "one");  // now the most recent
    cache.Store(Address(1, 0, 0, 3), "three", start);

    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 2), start)), "(not cached)");
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 1), start)), "one");
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 3), start)), "three");

    // A new outcome for a known address replaces the old one and its lifetime.
    cache.Store(Address(1, 0, 0, 3), std::nullopt, start + seconds(10));
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 3), start + seconds(69))), std::nullopt);
    EXPECT_EQ(NameIn(cache.Find(Address(1, 0, 0, 3), start + seconds(70))), "(not cached)");
}

}  // namespace
}  // namespace quillcrest::lookupd
