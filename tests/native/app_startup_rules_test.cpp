#include <gtest/gtest.h>

#include "app/app_title.h"
#include "app/error_report.h"
#include "app/platform_check.h"

namespace quillcrest {
namespace {

struct TitleCase {
    const char* path;
    const char* title;
    const char* mutexName;
};

class DefaultAppTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(DefaultAppTitleTest, FormsTitleAndMutexNameFromTheExecutablePath) {
    const TitleCase& row = GetParam();
    SCOPED_TRACE(row.path);
    EXPECT_EQ(DefaultAppTitle(row.path), row.title);
    EXPECT_EQ(InstanceMutexName(DefaultAppTitle(row.path)), row.mutexName);
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         DefaultAppTitleTest,
                         ::testing::ValuesIn(std::vector<TitleCase>{
                             {"C:\\Apps\\ABC.EXE", "Abc", "PREVINST:Abc"},
                             {"D:\\x\\Demo.Setup.exe", "Demo", "PREVINST:Demo"},
                             // Only the first letter keeps its case, so these two share one mutex...
                             {"C:\\TOOL.EXE", "Tool", "PREVINST:Tool"},
                             {"C:\\dir.with.dots\\TOol.exe", "Tool", "PREVINST:Tool"},
                             // ...and a lower-case first letter names another one.
                             {"C:\\tool.exe", "tool", "PREVINST:tool"},
                             {"Quillcrest.exe", "Quillcrest", "PREVINST:Quillcrest"},
                             {"C:\\Apps\\NoExtension", "Noextension", "PREVINST:Noextension"},
                             {"C:\\Apps\\", "", "PREVINST:"},
                         }));

TEST(DefaultAppTitleTest, LowersWithTheGivenCodePageRules) {
    // The Windows build lowers with the ANSI code page; make sure the tail, and only the tail, is handed over.
    std::string seen;
    const std::string title = DefaultAppTitle("C:\\X\\\xC4PFEL.exe", [&seen](char* text, size_t length) {
        seen.assign(text, length);
        for (size_t i = 0; i < length; ++i)
            text[i] = 'z';
    });
    EXPECT_EQ(seen, "PFEL");
    EXPECT_EQ(title, "\xC4zzzz");
}

struct PlatformCase {
    const char* name;
    OsVersionInfo version;
    bool supported;
};

class PlatformCheckTest : public ::testing::TestWithParam<PlatformCase> {};

TEST_P(PlatformCheckTest, AcceptsOnlyXpServer2003AndVersion6) {
    const PlatformCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(IsSupportedPlatform(row.version), row.supported);
}

INSTANTIATE_TEST_SUITE_P(Versions,
                         PlatformCheckTest,
                         ::testing::ValuesIn(std::vector<PlatformCase>{
                             {"Windows 2000", {true, kPlatformNT, 5, 0}, false},
                             {"Windows XP", {true, kPlatformNT, 5, 1}, true},
                             {"Windows Server 2003", {true, kPlatformNT, 5, 2}, true},
                             {"NT 5.3", {true, kPlatformNT, 5, 3}, false},
                             {"Windows Vista", {true, kPlatformNT, 6, 0}, true},
                             {"Windows 7", {true, kPlatformNT, 6, 1}, true},
                             {"Windows 8 and later through the manifest", {true, kPlatformNT, 6, 2}, true},
                             {"Windows 8.1", {true, kPlatformNT, 6, 3}, true},
                             {"version 7.0", {true, kPlatformNT, 7, 0}, false},
                             {"Windows 10 without manifest help", {true, kPlatformNT, 10, 0}, false},
                             {"NT 4.0", {true, kPlatformNT, 4, 0}, false},
                             {"Windows 98", {true, kPlatformWindows9x, 4, 10}, false},
                             {"9x claiming 6.0", {true, kPlatformWindows9x, 6, 0}, false},
                             {"Win32s", {true, kPlatformWin32s, 6, 0}, false},
                             {"version call failed", {false, kPlatformNT, 6, 1}, false},
                         }));

struct ErrorTextCase {
    const char* message;
    const char* shown;
};

class GeneralErrorTextTest : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(GeneralErrorTextTest, ClosesWithAPeriodOnlyAfterCharactersSortingAfterIt) {
    const ErrorTextCase& row = GetParam();
    SCOPED_TRACE(row.message);
    EXPECT_EQ(GeneralErrorText(row.message), row.shown);
}

INSTANTIATE_TEST_SUITE_P(Messages,
                         GeneralErrorTextTest,
                         ::testing::ValuesIn(std::vector<ErrorTextCase>{
                             {"Access denied", "Access denied."},
                             {"Done.", "Done."},
                             {"Really?", "Really?."},
                             {"Stop!", "Stop!"},
                             {"Value -", "Value -"},
                             {"path/", "path/."},
                             {"Code 5", "Code 5."},
                             {"", ""},
                             {"Umlaut \xFC", "Umlaut \xFC."},
                         }));

}  // namespace
}  // namespace quillcrest
