#include <gtest/gtest.h>

#include <vector>

#include "lookup/ip_config_chain.h"

namespace quillcrest {
namespace {

struct Entry {
    Entry* Next = nullptr;
    int value = 0;
};

std::vector<int> Walk(const Entry& first) {
    std::vector<int> seen;
    WalkChain(first, [&seen](const Entry& entry) { seen.push_back(entry.value); });
    return seen;
}

TEST(IpConfigChainTest, TakesTheFirstEntryThenFollowsNextInOrder) {
    Entry third{nullptr, 3};
    Entry second{&third, 2};
    Entry first{&second, 1};
    EXPECT_EQ(Walk(first), (std::vector<int>{1, 2, 3}));

    Entry alone{nullptr, 0};
    EXPECT_EQ(Walk(alone), (std::vector<int>{0}));
}

TEST(IpConfigChainTest, LoopingChainStopsAtTheLimit) {
    Entry second{nullptr, 2};
    Entry first{&second, 1};
    second.Next = &first;
    const std::vector<int> seen = Walk(first);
    ASSERT_EQ(seen.size(), kMaxChainEntries);
    EXPECT_EQ(seen[0], 1);
    EXPECT_EQ(seen[1], 2);
    EXPECT_EQ(seen[2], 1);

    Entry self{nullptr, 7};
    self.Next = &self;
    EXPECT_EQ(Walk(self).size(), kMaxChainEntries);
}

}  // namespace
}  // namespace quillcrest
