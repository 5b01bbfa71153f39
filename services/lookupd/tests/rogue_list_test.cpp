#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ipv4.h"
#include "lookupd_fakes.h"
#include "rogue_list.h"

namespace quillcrest::lookupd {
namespace {

using testing::Address;

// The blocks of the DNSChanger resolvers, with their first and last addresses.
struct RogueBlockCase {
    const char* name;
    std::uint32_t first;
    std::uint32_t last;
};

std::string RogueBlockName(const ::testing::TestParamInfo<RogueBlockCase>& info) {
    return info.param.name;
}

const RogueBlockCase kShippedBlocks[] = {
    {"Block85", Address(85, 255, 112, 0), Address(85, 255, 127, 255)},
    {"Block67", Address(67, 210, 0, 0), Address(67, 210, 15, 255)},
    {"Block93", Address(93, 188, 160, 0), Address(93, 188, 167, 255)},
    {"Block77", Address(77, 67, 83, 0), Address(77, 67, 83, 255)},
    {"Block213", Address(213, 109, 64, 0), Address(213, 109, 79, 255)},
    {"Block64", Address(64, 28, 176, 0), Address(64, 28, 191, 255)},
};

class LookupdShippedRogueListTest : public ::testing::TestWithParam<RogueBlockCase> {
  protected:
    static void SetUpTestSuite() { list = new RogueList(RogueList::Load(LOOKUPD_ROGUE_LIST)); }
    static void TearDownTestSuite() { delete list; }
    static RogueList* list;
};

RogueList* LookupdShippedRogueListTest::list = nullptr;

TEST_P(LookupdShippedRogueListTest, WarnsForTheWholeBlockAndNothingAround) {
    const RogueBlockCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(list->WarningFor(c.first).has_value());
    EXPECT_TRUE(list->WarningFor(c.last).has_value());
    EXPECT_FALSE(list->WarningFor(c.first - 1).has_value());
    EXPECT_FALSE(list->WarningFor(c.last + 1).has_value());
    const std::string warning = list->WarningFor(c.first).value_or("");
    EXPECT_NE(warning.find("<a href="), std::string::npos);
    EXPECT_EQ(warning.find(';'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(DnsChanger, LookupdShippedRogueListTest, ::testing::ValuesIn(kShippedBlocks), RogueBlockName);

TEST(LookupdRogueListTest, SkipsCommentsAndBlankLinesAndTakesTheFirstMatchingBlock) {
    const RogueList list = RogueList::Parse(
        "# comment\r\n"
        "\n"
        "  10.0.0.0/8   Wide warning  \r\n"
        "10.1.0.0/16\tNarrow warning\n");
    ASSERT_EQ(list.entries().size(), 2u);
    EXPECT_EQ(list.WarningFor(Address(10, 1, 2, 3)), "Wide warning");
    EXPECT_EQ(list.WarningFor(Address(11, 0, 0, 0)), std::nullopt);
}

TEST(LookupdRogueListTest, RejectsLinesThatWouldBreakTheReply) {
    const std::string tooLong = "1.2.3.0/24 " + std::string(kLongestWarning + 1, 'w');
    for (const std::string& line :
         {std::string("1.2.3.0/24 first; second"), std::string("1.2.3.0/24"), std::string("1.2.3.1/24 host bits set"),
          std::string("1.2.3.0/24 tab\x01"), std::string("banana warning"), tooLong}) {
        SCOPED_TRACE(line);
        EXPECT_THROW(RogueList::Parse("# fine\n" + line + "\n"), std::runtime_error);
    }
    EXPECT_NO_THROW(RogueList::Parse("1.2.3.0/24 " + std::string(kLongestWarning, 'w')));
}

TEST(LookupdRogueListTest, AMissingFileIsAnError) {
    EXPECT_THROW(RogueList::Load("/nonexistent/rogue-servers.txt"), std::runtime_error);
}

}  // namespace
}  // namespace quillcrest::lookupd
