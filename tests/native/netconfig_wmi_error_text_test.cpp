#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/com_error_text.h"
#include "netconfig/wmi_error_text.h"

namespace quillcrest {
namespace {

// A system message source that answers for one code only and remembers what it was asked.
struct RecordingLookup {
    std::uint32_t knownCode;
    std::string knownText;
    std::vector<std::uint32_t>* asked;

    std::string operator()(std::uint32_t code) const {
        asked->push_back(code);
        return code == knownCode ? knownText : std::string();
    }
};

struct WmiErrorCase {
    const char* name;
    std::uint32_t code;
    const char* systemText;  // what the system lookup answers for this code
    const char* expected;
};

class WmiErrorTextTest : public ::testing::TestWithParam<WmiErrorCase> {};

TEST_P(WmiErrorTextTest, FormatsCodeAndDescription) {
    const WmiErrorCase& row = GetParam();
    SCOPED_TRACE(row.name);
    std::vector<std::uint32_t> asked;
    const RecordingLookup lookup{row.code, row.systemText, &asked};
    EXPECT_EQ(FormatWmiError(row.code, lookup), row.expected);
    // WMI's own codes are described by the table; only other codes go to the system.
    if (WbemErrorDescription(row.code) != nullptr)
        EXPECT_TRUE(asked.empty());
    else
        EXPECT_EQ(asked, std::vector<std::uint32_t>{row.code});
}

const WmiErrorCase kWmiErrorCases[] = {
    {"generic failure", 0x80041001, "", "80041001: Generic failure"},
    {"not found", 0x80041002, "", "80041002: The object or property was not found"},
    {"access denied", 0x80041003, "", "80041003: Access denied: the current user may not perform this operation"},
    {"invalid parameter", 0x80041008, "", "80041008: A parameter of the call is not valid"},
    {"hex letters upper-case", 0x8004100E, "", "8004100E: The namespace does not exist"},
    {"invalid class", 0x80041010, "", "80041010: The class does not exist or is not valid"},
    {"provider load failure", 0x80041013, "", "80041013: COM could not load the provider named in the schema"},
    {"invalid query", 0x80041017, "", "80041017: The query is not valid WQL"},
    {"table wins over system text", 0x80041017, "Some other text", "80041017: The query is not valid WQL"},
    {"other code uses system text", 0x800401F0, "CoInitialize has not been called.",
     "800401F0: CoInitialize has not been called."},
    {"leading zeros kept", 0x00000005, "Access is denied.", "00000005: Access is denied."},
    {"no text anywhere", 0x8007FFFF, "", "8007FFFF: Unknown failure"},
    {"unlisted WMI code asks the system", 0x80041019, "", "80041019: Unknown failure"},
};

INSTANTIATE_TEST_SUITE_P(Table, WmiErrorTextTest, ::testing::ValuesIn(kWmiErrorCases));

TEST(WmiErrorTextTest, WorksWithoutSystemLookup) {
    EXPECT_EQ(FormatWmiError(0x80041017, nullptr), "80041017: The query is not valid WQL");
    EXPECT_EQ(FormatWmiError(0x80004005, nullptr), "80004005: Unknown failure");
}

TEST(ComFailureTextTest, PrefersSystemTextAndFallsBackToCodedText) {
    std::vector<std::uint32_t> asked;
    const RecordingLookup lookup{0x80070005, "Access is denied.", &asked};
    EXPECT_EQ(ComFailureText(0x80070005, lookup), "Access is denied.");
    EXPECT_EQ(ComFailureText(0x80041017, lookup), "80041017: The query is not valid WQL");
    EXPECT_EQ(ComFailureText(0x80020006, lookup), "80020006: Unknown failure");
    EXPECT_EQ(ComFailureText(0x80020006, nullptr), "80020006: Unknown failure");
}

}  // namespace
}  // namespace quillcrest
