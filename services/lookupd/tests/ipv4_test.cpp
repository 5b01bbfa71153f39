#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ipv4.h"
#include "lookupd_fakes.h"

namespace quillcrest::lookupd {
namespace {

using testing::Address;

struct AddressCase {
    const char* name;
    std::string text;
    std::optional<std::uint32_t> address;
};

std::string AddressCaseName(const ::testing::TestParamInfo<AddressCase>& info) {
    return info.param.name;
}

const AddressCase kAddressCases[] = {
    {"Plain", "8.8.8.8", Address(8, 8, 8, 8)},
    {"Longest", "255.255.255.255", Address(255, 255, 255, 255)},
    {"Zeros", "0.0.0.0", Address(0, 0, 0, 0)},
    {"PartAbove255", "256.1.1.1", std::nullopt},
    {"LeadingZero", "010.0.0.1", std::nullopt},
    {"ThreeParts", "1.2.3", std::nullopt},
    {"FiveParts", "1.2.3.4.5", std::nullopt},
    {"EmptyPart", "1..3.4", std::nullopt},
    {"TrailingDot", "1.2.3.4.", std::nullopt},
    {"TrailingNewline", "1.2.3.4\n", std::nullopt},
    {"LeadingBlank", " 1.2.3.4", std::nullopt},
    {"Sign", "+1.2.3.4", std::nullopt},
    {"FourDigitPart", "1.2.3.1234", std::nullopt},
    {"Name", "dns.google", std::nullopt},
    {"Empty", "", std::nullopt},
    {"EmbeddedNul", std::string("1.2.3.4\0", 8), std::nullopt},
    {"TooLong", "1.2.3.4xxxxxxxxxxxxxxxx", std::nullopt},
};

class LookupdAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(LookupdAddressTest, ReadsOnlyStrictDottedQuads) {
    const AddressCase& c = GetParam();
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseDottedAddress(c.text), c.address);
    if (c.address) {
        EXPECT_EQ(FormatDottedAddress(*c.address), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, LookupdAddressTest, ::testing::ValuesIn(kAddressCases), AddressCaseName);

TEST(LookupdAddressBlockTest, HoldsExactlyItsRange) {
    const std::optional<AddressBlock> block = ParseAddressBlock("93.188.160.0/21");
    ASSERT_TRUE(block.has_value());
    EXPECT_FALSE(block->Contains(Address(93, 188, 159, 255)));
    EXPECT_TRUE(block->Contains(Address(93, 188, 160, 0)));
    EXPECT_TRUE(block->Contains(Address(93, 188, 167, 255)));
    EXPECT_FALSE(block->Contains(Address(93, 188, 168, 0)));
}

TEST(LookupdAddressBlockTest, RejectsMalformedBlocks) {
    for (const char* text :
         {"93.188.161.0/21", "1.2.3.4/33", "1.2.3.4", "1.2.3.4/", "1.2.3.4/x", "/8", "1.2.3.0/024"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseAddressBlock(text).has_value());
    }
    ASSERT_TRUE(ParseAddressBlock("0.0.0.0/0").has_value());
    EXPECT_TRUE(ParseAddressBlock("0.0.0.0/0")->Contains(Address(8, 8, 8, 8)));
    EXPECT_TRUE(ParseAddressBlock("1.2.3.4/32")->Contains(Address(1, 2, 3, 4)));
}

TEST(LookupdAddressBlockTest, NonPublicAddressesAreTheReservedBlocks) {
    for (std::uint32_t address :
         {Address(10, 1, 2, 3), Address(127, 0, 0, 1), Address(192, 168, 0, 1), Address(172, 16, 0, 1),
          Address(172, 31, 255, 255), Address(100, 64, 0, 1), Address(169, 254, 1, 1), Address(224, 0, 0, 1),
          Address(255, 255, 255, 255), Address(0, 1, 2, 3)}) {
        SCOPED_TRACE(FormatDottedAddress(address));
        EXPECT_TRUE(IsNonPublicAddress(address));
    }
    for (std::uint32_t address : {Address(8, 8, 8, 8), Address(172, 32, 0, 1), Address(192, 169, 0, 1),
                                  Address(100, 128, 0, 1), Address(85, 255, 112, 1)}) {
        SCOPED_TRACE(FormatDottedAddress(address));
        EXPECT_FALSE(IsNonPublicAddress(address));
    }
}

}  // namespace
}  // namespace quillcrest::lookupd
