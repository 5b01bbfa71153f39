#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "base/exception.h"
#include "netconfig/ip_config_text.h"

namespace quillcrest {
namespace {

struct NameCase {
    unsigned value;
    const char* name;
};

class IpConfigNodeTypeTest : public testing::TestWithParam<NameCase> {};

TEST_P(IpConfigNodeTypeTest, NamesEveryTypeUpToHybrid) {
    const NameCase& row = GetParam();
    SCOPED_TRACE(row.value);
    EXPECT_EQ(NodeTypeName(row.value), row.name);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         IpConfigNodeTypeTest,
                         testing::ValuesIn(std::vector<NameCase>{
                             {0, "UNKNOWN"},
                             {1, "Broadcast"},
                             {2, "Peer To Peer"},
                             {3, ""},  // gaps between the defined types have no name
                             {4, "Mixed"},
                             {5, ""},
                             {6, ""},
                             {7, ""},
                             {8, "Hybrid"},
                         }));

TEST(IpConfigNodeTypeRangeTest, ValuesAboveHybridRaiseRangeError) {
    for (unsigned value : {9u, 16u, UINT_MAX}) {
        SCOPED_TRACE(value);
        try {
            NodeTypeName(value);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Range check error");
        }
    }
}

class IpConfigAdapterTypeTest : public testing::TestWithParam<NameCase> {};

TEST_P(IpConfigAdapterTypeTest, NamesKnownTypesOnly) {
    const NameCase& row = GetParam();
    SCOPED_TRACE(row.value);
    EXPECT_EQ(AdapterTypeName(row.value), row.name);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         IpConfigAdapterTypeTest,
                         testing::ValuesIn(std::vector<NameCase>{
                             {1, "Other"},
                             {6, "Ethernet"},
                             {9, "Token Ring"},
                             {15, "FDDI"},
                             {23, "PPP"},
                             {24, "Loopback"},
                             {28, "SLIP"},
                             {0, "UNKNOWN"},
                             {7, "UNKNOWN"},   // neighbour of a named type
                             {29, "UNKNOWN"},  // just above the last named type
                             {71, "UNKNOWN"},  // wireless: real, but not in the table
                             {UINT_MAX, "UNKNOWN"},
                         }));

struct MacCase {
    const char* label;
    std::vector<std::uint8_t> bytes;  // at most kMaxAdapterAddressLength; the rest of the array stays 0xEE
    std::size_t length;
    const char* text;
};

class IpConfigMacAddressTest : public testing::TestWithParam<MacCase> {};

TEST_P(IpConfigMacAddressTest, FormatsUpperCasePairs) {
    const MacCase& row = GetParam();
    SCOPED_TRACE(row.label);
    // Exactly one address array on the heap, so reading past it is caught by the address sanitizer.
    std::unique_ptr<std::uint8_t[][kMaxAdapterAddressLength]> address(new std::uint8_t[1][kMaxAdapterAddressLength]);
    std::fill(address[0], address[0] + kMaxAdapterAddressLength, 0xEE);
    std::copy(row.bytes.begin(), row.bytes.end(), address[0]);
    EXPECT_EQ(MacAddressText(address[0], row.length), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    IpConfigMacAddressTest,
    testing::ValuesIn(std::vector<MacCase>{
        {"no hardware address, whatever the bytes", {0x12, 0x34}, 0, "00-00-00-00-00-00"},
        {"six bytes", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, 6, "00-1A-2B-3C-4D-5E"},
        {"high bytes are not sign-extended", {0xFF, 0x80, 0x0A}, 3, "FF-80-0A"},
        {"one byte has no dash", {0xAB}, 1, "AB"},
        {"length counts, not the bytes present", {0x01, 0x02, 0x03}, 2, "01-02"},
        {"whole array", {1, 2, 3, 4, 5, 6, 7, 8}, 8, "01-02-03-04-05-06-07-08"},
        {"length past the array is clamped", {1, 2, 3, 4, 5, 6, 7, 8}, 9, "01-02-03-04-05-06-07-08"},
        {"huge length is clamped", {1, 2, 3, 4, 5, 6, 7, 8}, 4000000000u, "01-02-03-04-05-06-07-08"},
    }));

struct TrimCase {
    std::string input;
    std::string trimmed;
};

class IpConfigTrimTest : public testing::TestWithParam<TrimCase> {};

TEST_P(IpConfigTrimTest, DropsBlanksAndControlsAtBothEnds) {
    const TrimCase& row = GetParam();
    SCOPED_TRACE(testing::PrintToString(row.input));
    EXPECT_EQ(TrimText(row.input), row.trimmed);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         IpConfigTrimTest,
                         testing::ValuesIn(std::vector<TrimCase>{
                             {"", ""},
                             {"host", "host"},
                             {"  host  ", "host"},
                             {"\t\r\nhost\x01\x1F", "host"},
                             {"my host", "my host"},  // inner blanks are text
                             {" \t \r\n ", ""},
                             {std::string("\0name\0", 6), "name"},
                             {"\xE9t\xE9 ", "\xE9t\xE9"},  // upper-half bytes are letters, not controls
                             {" \xA0", "\xA0"},
                         }));

TEST(IpConfigFixedFieldTest, StopsAtZeroOrAtTheFieldEnd) {
    struct Row {
        std::string field;  // becomes a heap buffer of exactly this many bytes
        std::string text;
    };
    const Row rows[] = {
        {std::string("abc\0xyz", 7), "abc"},
        {"255.255.255.255", "255.255.255.255"},
        {"1234567890123456", "1234567890123456"},  // field full, no terminator
        {std::string("\0abc", 4), ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.field));
        std::unique_ptr<char[]> field(new char[row.field.size()]);
        std::copy(row.field.begin(), row.field.end(), field.get());
        EXPECT_EQ(FixedFieldText(field.get(), row.field.size()), row.text);
    }
}

}  // namespace
}  // namespace quillcrest
