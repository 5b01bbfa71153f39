#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "resolution/hosts_file.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using Entries = std::vector<HostsEntry>;

// Bytes of a literal that holds NULs.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

std::string Utf16Le(const std::string& ascii, bool mark) {
    std::string bytes = mark ? std::string("\xFF\xFE") : std::string();
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

std::string Utf16Be(const std::string& ascii) {
    std::string bytes("\xFE\xFF");
    for (char c : ascii)
        bytes += std::string{'\0', c};
    return bytes;
}

struct HostsRow {
    const char* name;
    std::string bytes;
    Entries entries;
};

const std::string kName255(255, 'n');
const std::string kName256(256, 'n');

std::string ManyNamesWithRepeats() {
    std::string line = "10.0.0.1";
    for (int i = 0; i < 30; ++i)
        line += " host" + std::to_string(i % 12);
    return line + "\n";
}

Entries TwelveHosts() {
    Entries entries{{"10.0.0.1", {}}};
    for (int i = 0; i < 12; ++i)
        entries[0].names.push_back("host" + std::to_string(i));
    return entries;
}

const HostsRow kHostsRows[] = {
    {"Empty_file", "", {}},
    {"Crlf_lines", "127.0.0.1 localhost\r\n::1 localhost\r\n", {{"127.0.0.1", {"localhost"}}, {"::1", {"localhost"}}}},
    {"Lf_cr_and_mixed_line_ends",
     "10.0.0.1 a\n10.0.0.2 b\r10.0.0.3 c\r\n10.0.0.4 d",
     {{"10.0.0.1", {"a"}}, {"10.0.0.2", {"b"}}, {"10.0.0.3", {"c"}}, {"10.0.0.4", {"d"}}}},
    {"Comments_and_blank_lines_map_nothing",
     "# 102.54.94.97 rhino.acme.com\r\n\r\n   \t \r\n#\r\n10.0.0.1 a # the server\r\n",
     {{"10.0.0.1", {"a"}}}},
    {"Hash_inside_a_field_starts_the_comment", "10.0.0.1 a#b c\n", {{"10.0.0.1", {"a"}}}},
    {"Blanks_tabs_and_leading_space_separate_fields", "  10.0.0.1 \t a\t\tb   c  \n", {{"10.0.0.1", {"a", "b", "c"}}}},
    {"Vertical_tab_and_form_feed_separate_fields", "10.0.0.1\va\fb\n", {{"10.0.0.1", {"a", "b"}}}},
    {"Nul_is_a_blank_and_hides_nothing",
     Bytes("10.0.0.1\0a\0\0b\n10.0.0.2 c\n"),
     {{"10.0.0.1", {"a", "b"}}, {"10.0.0.2", {"c"}}}},
    {"Letters_made_small_in_names_and_addresses",
     "10.0.0.1 Bank.EXAMPLE\nFE80::AB:1 Mail\n",
     {{"10.0.0.1", {"bank.example"}}, {"fe80::ab:1", {"mail"}}}},
    {"Repeated_name_on_a_line_counts_once", "10.0.0.1 a A a b\n", {{"10.0.0.1", {"a", "b"}}}},
    {"Many_names_with_repeats_on_one_line", ManyNamesWithRepeats(), TwelveHosts()},
    {"Address_without_names_maps_nothing", "10.0.0.1\n10.0.0.2   # only a comment\n", {}},
    {"First_field_not_an_address_maps_nothing",
     "localhost 127.0.0.1\n127.1 short\n0x7f.0.0.1 hex\n256.0.0.1 big\n1.2.3 three\n1.2.3.4.5 five\n"
     "1.2.3.04x letter\n1..2.3 empty\n1234.0.0.1 long\n:::1 colons\nfe80::1%eth0 zone-name\n"
     "1:2:3:4:5:6:7:8:9 nine\n[::1] bracket\n",
     {}},
    {"Strict_ipv4_and_ipv6_forms_kept",
     "010.000.000.001 zeros\n::1 loop\nfe80::1%12 zoned\n::ffff:1.2.3.4 mapped\n1:2:3:4:5:6:7:8 full\n:: any\n",
     {{"010.000.000.001", {"zeros"}},
      {"::1", {"loop"}},
      {"fe80::1%12", {"zoned"}},
      {"::ffff:1.2.3.4", {"mapped"}},
      {"1:2:3:4:5:6:7:8", {"full"}},
      {"::", {"any"}}}},
    {"Name_of_255_bytes_kept_256_dropped",
     "10.0.0.1 " + kName255 + " " + kName256 + " short\n10.0.0.2 " + kName256 + "\n",
     {{"10.0.0.1", {kName255, "short"}}}},
    {"Bytes_above_127_kept_as_they_are", "10.0.0.1 b\xC3\xA4nk \xC4\n", {{"10.0.0.1", {"b\xC3\xA4nk", "\xC4"}}}},
    {"Utf8_mark_skipped",
     "\xEF\xBB\xBF"
     "10.0.0.1 a\n",
     {{"10.0.0.1", {"a"}}}},
    {"Utf8_mark_not_at_the_start_is_part_of_a_field",
     "10.0.0.1 a\n\xEF\xBB\xBF"
     "10.0.0.2 b\n",
     {{"10.0.0.1", {"a"}}}},
    {"Utf16_little_endian_with_mark_decoded",
     Utf16Le("10.0.0.1 a\r\n::1 B\r\n", true),
     {{"10.0.0.1", {"a"}}, {"::1", {"b"}}}},
    {"Utf16_big_endian_with_mark_decoded", Utf16Be("10.0.0.1 a\n"), {{"10.0.0.1", {"a"}}}},
    {"Utf16_with_mark_and_odd_last_byte", Utf16Le("10.0.0.1 a\n", true) + "x", {{"10.0.0.1", {"a"}}}},
    {"Utf16_without_mark_maps_nothing", Utf16Le("10.0.0.1 a\r\n", false), {}},
};

// Failures name the row rather than dump its bytes.
void PrintTo(const HostsRow& row, std::ostream* out) {
    *out << row.name;
}

class ResolutionHostsFileTest : public ::testing::TestWithParam<HostsRow> {};

TEST_P(ResolutionHostsFileTest, MapsTheNamesWindowsWould) {
    const HostsRow& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ParseHostsFile(row.bytes), row.entries);
}

INSTANTIATE_TEST_SUITE_P(Files, ResolutionHostsFileTest, ::testing::ValuesIn(kHostsRows), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

TEST(ResolutionHostsAddressesTest, NameOnSeveralLinesHasEveryAddressOnceInFileOrder) {
    const HostsEntries entries = ParseHostsFile(
        "10.0.0.2 bank www\n"
        "10.0.0.1 BANK\n"
        "10.0.0.2 bank\n"
        "::1 www\n");
    const HostAddresses expected = {{"bank", {"10.0.0.2", "10.0.0.1"}}, {"www", {"10.0.0.2", "::1"}}};
    EXPECT_EQ(AddressesByHostName(entries), expected);
}

}  // namespace
}  // namespace quillcrest
