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
using testing::BlockingNames;
using testing::NameFromBlockingNames;
using testing::TableNames;

using Clock = std::chrono::steady_clock;

// Slow for one address only, like a name server that hangs for one zone.
class OneSlowAddress : public HostNameResolver {
  public:
    std::optional<std::string> NameOf(std::uint32_t address) override {
        if (address == Address(6, 6, 6, 6))
            std::this_thread::sleep_for(milliseconds(1500));
        return "name-of-" + std::to_string(address);
    }
};

ResolverPoolLimits Limits(std::size_t threads,
                          std::size_t queued,
                          milliseconds deadline,
                          std::size_t perAsker = ResolverPoolLimits{}.perAsker) {
    ResolverPoolLimits limits;
    limits.threads = threads;
    limits.queued = queued;
    limits.deadline = deadline;
    limits.perAsker = perAsker;
    return limits;
}

// Waits (at most 5 s) until the resolver's cache holds an outcome for address: the lookup has ended and its thread
// has stored what it found and let go of its asker's place. The inner resolver returning is not yet that.
bool WaitUntilRemembered(DeadlineHostNameResolver& resolver, std::uint32_t address) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (!resolver.Remembered(address)) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

const std::uint32_t kHangingA = Address(6, 6, 6, 1);
const std::uint32_t kHangingB = Address(6, 6, 6, 2);
const std::uint32_t kHangingC = Address(6, 6, 6, 3);
const std::uint32_t kFast = Address(8, 8, 4, 4);
const std::uint32_t kAsker = Address(198, 51, 100, 7);
const std::uint32_t kOtherAsker = Address(198, 51, 100, 8);

TEST(LookupdDeadlineResolverTest, AFastAnswerArrivesWhole) {
    TableNames inner({{Address(8, 8, 8, 8), "dns.google"}});
    DeadlineHostNameResolver resolver(inner, Limits(2, 4, milliseconds(2000)));
    EXPECT_EQ(resolver.NameOf(Address(8, 8, 8, 8)), "dns.google");
    EXPECT_EQ(resolver.NameOf(Address(9, 9, 9, 9)), std::nullopt);
}

TEST(LookupdDeadlineResolverTest, ASlowLookupEndsAtTheDeadline) {
    OneSlowAddress inner;
    DeadlineHostNameResolver resolver(inner, Limits(2, 4, milliseconds(200)));

    const auto started = Clock::now();
    EXPECT_EQ(resolver.NameOf(Address(6, 6, 6, 6)), std::nullopt);
    const auto waited = Clock::now() - started;

    EXPECT_GE(waited, milliseconds(190));
    EXPECT_LT(waited, milliseconds(1200));
}

TEST(LookupdDeadlineResolverTest, ASlowLookupDoesNotHoldUpOthers) {
    OneSlowAddress inner;
    DeadlineHostNameResolver resolver(inner, Limits(2, 4, milliseconds(3000)));

    auto slow = std::async(std::launch::async, [&] { return resolver.NameOf(Address(6, 6, 6, 6)); });
    std::this_thread::sleep_for(milliseconds(50));
    const auto started = Clock::now();
    EXPECT_EQ(resolver.NameOf(Address(1, 0, 0, 1)), "name-of-" + std::to_string(Address(1, 0, 0, 1)));
    EXPECT_LT(Clock::now() - started, milliseconds(1000));
    EXPECT_TRUE(slow.get().has_value());
}

TEST(LookupdDeadlineResolverTest, AFullQueueAnswersAtOnceWithoutAName) {
    BlockingNames inner({kHangingA, kHangingB});
    DeadlineHostNameResolver resolver(inner, Limits(1, 1, milliseconds(3000), 10));

    // One lookup runs, one waits in the queue; the third finds no room.
    auto running = std::async(std::launch::async, [&] { return resolver.NameOf(kHangingA); });
    std::this_thread::sleep_for(milliseconds(100));
    auto queued = std::async(std::launch::async, [&] { return resolver.NameOf(kHangingB); });
    std::this_thread::sleep_for(milliseconds(100));

    const auto started = Clock::now();
    EXPECT_EQ(resolver.NameOf(kFast), std::nullopt);
    EXPECT_LT(Clock::now() - started, milliseconds(500));
    inner.Release();
    EXPECT_EQ(running.get(), NameFromBlockingNames(kHangingA));
    EXPECT_EQ(queued.get(), NameFromBlockingNames(kHangingB));
    EXPECT_EQ(inner.Calls(), (std::vector<std::uint32_t>{kHangingA, kHangingB}));
}

// The thread is stuck in a lookup whose caller gave up; the lookups queued behind it are given up as well. They
// must leave the queue, so the one thread runs the lookup that someone still waits for next, not theirs.
TEST(LookupdDeadlineResolverTest, AGivenUpLookupLeavesTheQueueAndFreesItsPlace) {
    BlockingNames inner({kHangingA, kHangingB, kHangingC});
    DeadlineHostNameResolver resolver(inner, Limits(1, 1, milliseconds(150), 10));

    EXPECT_EQ(resolver.NameOfFor(kHangingA, kAsker), std::nullopt);  // running, stuck
    EXPECT_EQ(resolver.NameOfFor(kHangingB, kAsker), std::nullopt);  // queued, given up
    EXPECT_EQ(resolver.NameOfFor(kHangingC, kAsker), std::nullopt);  // queued in the freed place, given up
    auto waiting = std::async(std::launch::async, [&] { return resolver.NameOfFor(kFast, kOtherAsker); });
    std::this_thread::sleep_for(milliseconds(30));
    inner.Release();

    EXPECT_EQ(waiting.get(), NameFromBlockingNames(kFast));
    EXPECT_EQ(inner.Calls(), (std::vector<std::uint32_t>{kHangingA, kFast}));
}

// The one thread is stuck in another asker's lookup, so this asker's lookups wait in the queue, taking both its
// places, until their callers give up. Leaving the queue gives the places back: once the thread is free, the
// asker's next lookup is answered.
TEST(LookupdDeadlineResolverTest, AnAskerWhoseQueuedLookupsWereGivenUpGetsItsPlacesBack) {
    BlockingNames inner({kHangingA});
    DeadlineHostNameResolver resolver(inner, Limits(1, 4, milliseconds(400), 2));

    EXPECT_EQ(resolver.NameOfFor(kHangingA, kOtherAsker), std::nullopt);  // running, stuck
    auto queuedB = std::async(std::launch::async, [&] { return resolver.NameOfFor(kHangingB, kAsker); });
    auto queuedC = std::async(std::launch::async, [&] { return resolver.NameOfFor(kHangingC, kAsker); });
    EXPECT_EQ(queuedB.get(), std::nullopt);
    EXPECT_EQ(queuedC.get(), std::nullopt);
    inner.Release();
    ASSERT_TRUE(WaitUntilRemembered(resolver, kHangingA));

    EXPECT_EQ(resolver.NameOfFor(kFast, kAsker), NameFromBlockingNames(kFast));
    EXPECT_EQ(inner.Calls(), (std::vector<std::uint32_t>{kHangingA, kFast}));
}

TEST(LookupdDeadlineResolverTest, OneAskerHasOnlyItsShareOfLookups) {
    BlockingNames inner({kHangingA, kHangingB, kHangingC});
    DeadlineHostNameResolver resolver(inner, Limits(4, 8, milliseconds(150), 2));

    // Two lookups stuck after their callers left still count against the asker.
    EXPECT_EQ(resolver.NameOfFor(kHangingA, kAsker), std::nullopt);
    EXPECT_EQ(resolver.NameOfFor(kHangingB, kAsker), std::nullopt);
    const auto started = Clock::now();
    EXPECT_EQ(resolver.NameOfFor(kHangingC, kAsker), std::nullopt);
    EXPECT_LT(Clock::now() - started, milliseconds(100));  // refused at once, never asked
    EXPECT_EQ(resolver.NameOfFor(kFast, kOtherAsker), NameFromBlockingNames(kFast));

    // Once its lookups have ended, the asker has its share back.
    inner.Release();
    ASSERT_TRUE(WaitUntilRemembered(resolver, kHangingA));
    ASSERT_TRUE(WaitUntilRemembered(resolver, kHangingB));
    EXPECT_EQ(resolver.NameOfFor(kHangingC, kAsker), NameFromBlockingNames(kHangingC));
    EXPECT_EQ(inner.Calls(), (std::vector<std::uint32_t>{kHangingA, kHangingB, kFast, kHangingC}));
}

TEST(LookupdDeadlineResolverTest, NamesAndFailuresAreRememberedEvenWhenTheCallerLeftEarly) {
    BlockingNames inner({kHangingA});
    TableNames noNames({});
    DeadlineHostNameResolver resolver(inner, Limits(2, 4, milliseconds(150)));
    DeadlineHostNameResolver failing(noNames, Limits(1, 1, milliseconds(1000)));

    EXPECT_EQ(resolver.NameOf(kHangingA), std::nullopt);  // the caller gives up; the lookup runs on
    inner.Release();
    ASSERT_TRUE(WaitUntilRemembered(resolver, kHangingA));
    EXPECT_EQ(resolver.NameOf(kHangingA), NameFromBlockingNames(kHangingA));
    EXPECT_EQ(resolver.NameOf(kFast), NameFromBlockingNames(kFast));
    EXPECT_EQ(resolver.NameOf(kFast), NameFromBlockingNames(kFast));
    EXPECT_EQ(inner.Calls(), (std::vector<std::uint32_t>{kHangingA, kFast}));

    EXPECT_EQ(failing.NameOf(kFast), std::nullopt);
    EXPECT_EQ(failing.NameOf(kFast), std::nullopt);
    EXPECT_EQ(noNames.calls, 1);
}

TEST(LookupdDeadlineResolverTest, StopWakesWaitingCallersAndLeavesStuckLookupsBehind) {
    BlockingNames inner({kHangingA});
    auto resolver = std::make_unique<DeadlineHostNameResolver>(inner, Limits(1, 4, milliseconds(10000)));

    auto waiting = std::async(std::launch::async, [&] { return resolver->NameOfFor(kHangingA, kAsker); });
    std::this_thread::sleep_for(milliseconds(50));
    const auto started = Clock::now();
    resolver->Stop();
    EXPECT_THROW(waiting.get(), ResolverStopped);
    EXPECT_THROW(resolver->NameOf(kFast), ResolverStopped);
    resolver.reset();  // the lookup thread is still stuck in the name server
    EXPECT_LT(Clock::now() - started, milliseconds(2000));
    EXPECT_TRUE(inner.Calls() == std::vector<std::uint32_t>{kHangingA});
}

}  // namespace
}  // namespace quillcrest::lookupd
