#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "deadline_host_name_resolver.h"
#include "lookupd_fakes.h"

namespace quillcrest::lookupd {
namespace {

using std::chrono::milliseconds;
using testing::Address;
using testing::TableNames;

// Slow for one address only, like a name server that hangs for one zone.
class OneSlowAddress : public HostNameResolver {
  public:
    std::optional<std::string> NameOf(std::uint32_t address) override {
        if (address == Address(6, 6, 6, 6))
            std::this_thread::sleep_for(milliseconds(1500));
        return "name-of-" + std::to_string(address);
    }
};

TEST(LookupdDeadlineResolverTest, AFastAnswerArrivesWhole) {
    TableNames inner({{Address(8, 8, 8, 8), "dns.google"}});
    DeadlineHostNameResolver resolver(inner, ResolverPoolLimits{2, 4, milliseconds(2000)});
    EXPECT_EQ(resolver.NameOf(Address(8, 8, 8, 8)), "dns.google");
    EXPECT_EQ(resolver.NameOf(Address(9, 9, 9, 9)), std::nullopt);
}

TEST(LookupdDeadlineResolverTest, ASlowLookupEndsAtTheDeadline) {
    OneSlowAddress inner;
    DeadlineHostNameResolver resolver(inner, ResolverPoolLimits{2, 4, milliseconds(200)});

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(resolver.NameOf(Address(6, 6, 6, 6)), std::nullopt);
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_GE(waited, milliseconds(190));
    EXPECT_LT(waited, milliseconds(1200));
}

TEST(LookupdDeadlineResolverTest, ASlowLookupDoesNotHoldUpOthers) {
    OneSlowAddress inner;
    DeadlineHostNameResolver resolver(inner, ResolverPoolLimits{2, 4, milliseconds(3000)});

    auto slow = std::async(std::launch::async, [&] { return resolver.NameOf(Address(6, 6, 6, 6)); });
    std::this_thread::sleep_for(milliseconds(50));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(resolver.NameOf(Address(1, 0, 0, 1)), "name-of-" + std::to_string(Address(1, 0, 0, 1)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(1000));
    EXPECT_TRUE(slow.get().has_value());
}

TEST(LookupdDeadlineResolverTest, AFullQueueAnswersAtOnceWithoutAName) {
    OneSlowAddress inner;
    DeadlineHostNameResolver resolver(inner, ResolverPoolLimits{1, 1, milliseconds(3000)});

    // One lookup runs, one waits in the queue; the third finds no room.
    auto running = std::async(std::launch::async, [&] { return resolver.NameOf(Address(6, 6, 6, 6)); });
    std::this_thread::sleep_for(milliseconds(100));
    auto queued = std::async(std::launch::async, [&] { return resolver.NameOf(Address(6, 6, 6, 6)); });
    std::this_thread::sleep_for(milliseconds(100));

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(resolver.NameOf(Address(8, 8, 8, 8)), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(500));
    running.get();
    queued.get();
}

}  // namespace
}  // namespace quillcrest::lookupd
