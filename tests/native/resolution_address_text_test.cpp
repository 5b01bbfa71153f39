#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "resolution/ip_address_text.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

struct AddressRow {
    const char* name;
    const char* text;
    bool ipv4;
    bool ipv6;
};

const AddressRow kAddressRows[] = {
    {"Ipv4", "192.168.1.1", true, false},
    {"Ipv4_leading_zeros", "010.001.000.255", true, false},
    {"Ipv4_part_over_255", "192.168.1.256", false, false},
    {"Ipv4_part_of_four_digits", "0192.168.1.1", false, false},
    {"Ipv4_three_parts", "127.0.1", false, false},
    {"Ipv4_one_number", "2130706433", false, false},
    {"Ipv4_hexadecimal", "0x7f.0.0.1", false, false},
    {"Ipv4_five_parts", "1.2.3.4.5", false, false},
    {"Ipv4_empty_part", "1..3.4", false, false},
    {"Ipv4_trailing_point", "1.2.3.4.", false, false},
    {"Ipv4_sign", "+1.2.3.4", false, false},
    {"Ipv6_loopback", "::1", false, true},
    {"Ipv6_unspecified", "::", false, true},
    {"Ipv6_full", "2001:db8:0:0:0:0:0:1", false, true},
    {"Ipv6_upper_case", "FD00::ABCD", false, true},
    {"Ipv6_gap_at_the_end", "fe80::", false, true},
    {"Ipv6_ipv4_tail", "::ffff:192.0.2.1", false, true},
    {"Ipv6_ipv4_tail_with_all_groups", "1:2:3:4:5:6:192.0.2.1", false, true},
    {"Ipv6_zone_number", "fe80::1%12", false, true},
    {"Ipv6_zone_name", "fe80::1%eth0", false, false},
    {"Ipv6_empty_zone", "fe80::1%", false, false},
    {"Ipv6_zone_of_eleven_digits", "fe80::1%12345678901", false, false},
    {"Ipv6_two_gaps", "1::2::3", false, false},
    {"Ipv6_nine_groups", "1:2:3:4:5:6:7:8:9", false, false},
    {"Ipv6_seven_groups", "1:2:3:4:5:6:7", false, false},
    {"Ipv6_gap_with_eight_groups", "1:2:3:4::5:6:7:8", false, false},
    {"Ipv6_group_of_five_digits", "12345::1", false, false},
    {"Ipv6_ipv4_before_the_end", "::1.2.3.4:1", false, false},
    {"Ipv6_bad_ipv4_tail", "::ffff:1.2.3", false, false},
    {"Ipv6_leading_colon", ":1::2", false, false},
    {"Ipv6_brackets", "[::1]", false, false},
    {"Empty", "", false, false},
    {"Name", "localhost", false, false},
};

// Failures name the row rather than dump its bytes.
void PrintTo(const AddressRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionAddressTextTest : public ::testing::TestWithParam<AddressRow> {};

TEST_P(ResolutionAddressTextTest, TellsAddressesFromOtherText) {
    const AddressRow& row = GetParam();
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsStrictIpv4Address(row.text), row.ipv4);
    EXPECT_EQ(IsIpv6Address(row.text), row.ipv6);
}

INSTANTIATE_TEST_SUITE_P(Texts, ResolutionAddressTextTest, ::testing::ValuesIn(kAddressRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

struct Ipv6TextRow {
    const char* name;
    std::uint8_t bytes[16];
    const char* text;
};

const Ipv6TextRow kIpv6TextRows[] = {
    {"Loopback", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "::1"},
    {"Unspecified", {}, "::"},
    {"Leading_zeros_left_out", {0xfd, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x53}, "fd00::53"},
    {"Longest_zero_run_is_the_gap", {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1}, "2001:db8:0:1::1"},
    {"First_of_equal_runs_is_the_gap", {0x20, 0x01, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1}, "2001::1:0:0:1:1"},
    {"Single_zero_group_is_no_gap",
     {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
     "2001:db8:0:1:1:1:1:1"},
    {"Gap_at_the_end", {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "fe80::"},
    {"Site_local_default_server", {0xfe, 0xc0, 0, 0, 0, 0, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0, 1}, "fec0:0:0:ffff::1"},
};

// Failures name the row rather than dump its bytes.
void PrintTo(const Ipv6TextRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionIpv6TextTest : public ::testing::TestWithParam<Ipv6TextRow> {};

TEST_P(ResolutionIpv6TextTest, WritesTheRecommendedFormThatReadsBackAsAnAddress) {
    const Ipv6TextRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Ipv6Text(row.bytes), row.text);
    EXPECT_TRUE(IsIpv6Address(Ipv6Text(row.bytes)));
}

INSTANTIATE_TEST_SUITE_P(Addresses, ResolutionIpv6TextTest, ::testing::ValuesIn(kIpv6TextRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(ResolutionIpv4TextTest, WritesDottedDecimal) {
    const std::uint8_t bytes[4] = {192, 0, 2, 255};
    EXPECT_EQ(Ipv4Text(bytes), "192.0.2.255");
}

}  // namespace
}  // namespace quillcrest
