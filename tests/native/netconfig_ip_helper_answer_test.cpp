#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "netconfig/ip_helper_answer.h"

namespace quillcrest {
namespace {

struct Entry {
    Entry* Next = nullptr;
    int value = 0;
};

// An answer holding `count` entries side by side, as the platform lays out a list behind its head.
class AnswerWithEntries {
  public:
    explicit AnswerWithEntries(std::size_t count) : answer_(count * sizeof(Entry), sizeof(Entry)) {
        for (std::size_t i = 0; i < count; ++i)
            entry(i) = Entry{nullptr, static_cast<int>(i + 1)};
    }
    Entry& entry(std::size_t i) { return answer_.as<Entry>()[i]; }
    const IpHelperAnswer& answer() const { return answer_; }

    std::vector<int> Walk() {
        std::vector<int> seen;
        WalkChain(answer_, entry(0), [&seen](const Entry& e) { seen.push_back(e.value); });
        return seen;
    }

  private:
    IpHelperAnswer answer_;
};

TEST(IpHelperAnswerTest, TakesTheFirstEntryThenFollowsNextInOrder) {
    AnswerWithEntries list(3);
    list.entry(0).Next = &list.entry(2);
    list.entry(2).Next = &list.entry(1);
    EXPECT_EQ(list.Walk(), (std::vector<int>{1, 3, 2}));

    AnswerWithEntries alone(1);
    EXPECT_EQ(alone.Walk(), (std::vector<int>{1}));
}

TEST(IpHelperAnswerTest, LinksLeavingTheAnswerEndTheWalk) {
    Entry outside{nullptr, 99};
    AnswerWithEntries list(2);
    list.entry(0).Next = &list.entry(1);
    list.entry(1).Next = &outside;
    EXPECT_EQ(list.Walk(), (std::vector<int>{1, 2}));

    // An entry that starts inside but runs past the end is not read either.
    AnswerWithEntries straddling(2);
    auto* lastBytes = reinterpret_cast<unsigned char*>(&straddling.entry(1)) + sizeof(Entry) / 2;
    straddling.entry(0).Next = reinterpret_cast<Entry*>(lastBytes);
    EXPECT_EQ(straddling.Walk(), (std::vector<int>{1}));
}

TEST(IpHelperAnswerTest, LoopingChainStopsAtTheLimit) {
    AnswerWithEntries list(2);
    list.entry(0).Next = &list.entry(1);
    list.entry(1).Next = &list.entry(0);
    const std::vector<int> seen = list.Walk();
    ASSERT_EQ(seen.size(), kMaxChainEntries);
    EXPECT_EQ((std::vector<int>(seen.begin(), seen.begin() + 3)), (std::vector<int>{1, 2, 1}));

    AnswerWithEntries self(1);
    self.entry(0).Next = &self.entry(0);
    EXPECT_EQ(self.Walk().size(), kMaxChainEntries);
}

TEST(IpHelperAnswerTest, NeverShorterThanItsHeadAndZeroFilled) {
    IpHelperAnswer answer(3, 64);
    ASSERT_GE(answer.size(), 64u);
    const auto* bytes = answer.as<unsigned char>();
    for (std::size_t i = 0; i < answer.size(); ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_TRUE(answer.Holds(bytes, answer.size()));
    EXPECT_FALSE(answer.Holds(bytes + 1, answer.size()));
    EXPECT_FALSE(answer.Holds(nullptr, 1));
}

}  // namespace
}  // namespace quillcrest
