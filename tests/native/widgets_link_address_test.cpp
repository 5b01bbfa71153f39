#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "widgets/link_address.h"

namespace quillcrest {
namespace {

struct LinkCase {
    const char* name;
    std::string address;
    bool openable;
};

class LinkAddressTest : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkAddressTest, OnlyWebAddressesReachTheBrowser) {
    const LinkCase& row = GetParam();
    SCOPED_TRACE(row.address);
    EXPECT_EQ(IsOpenableLink(row.address), row.openable);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    LinkAddressTest,
    testing::ValuesIn(std::vector<LinkCase>{
        {"http_page", "http://127.0.0.1:8070/quillcrestinfo.html", true},
        {"https_page", "https://example.invalid/rogue?id=3#top", true},
        {"scheme_in_capitals", "HTTP://example.invalid/", true},
        {"host_only", "http://example.invalid", true},
        {"file_address_of_a_program", "file:///C:/windows/system32/cmd.exe", false},
        {"bare_program_path", "C:\\windows\\system32\\notepad.exe", false},
        {"bare_program_name", "calc.exe", false},
        {"unc_path", "\\\\server\\share\\x.exe", false},
        {"other_scheme", "ftp://example.invalid/", false},
        {"javascript", "javascript:alert(1)", false},
        {"scheme_without_host", "http://", false},
        {"scheme_with_only_a_path", "http:///etc/passwd", false},
        {"blank_before_an_argument", "http://example.invalid/ -newwindow", false},
        {"quote_breaking_out", "http://example.invalid/\"x", false},
        {"single_quote_breaking_out", "http://example.invalid/'x", false},
        {"empty_user_before_the_host", "http://@evil.example/", false},
        {"empty_host_before_a_port", "http://:8080/", false},
        {"control_character", std::string("http://example.invalid/\n"), false},
        {"backslash_host_trick", "http://example.invalid\\@evil", false},
        {"empty", "", false},
        {"scheme_not_at_the_start", " http://example.invalid/", false},
    }),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillcrest
