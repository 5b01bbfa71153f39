#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/ansi_text_win.h"
#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "elevation/file_security_win.h"
#include "elevation/program_protection_win.h"
#include "elevation/protection_rules.h"
#include "settings/process_facts_win.h"
#include "support/elevation_protection_rows.h"
#include "support/elevation_sddl_reader.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::ProtectionRow;

// ---- The rows through the system's own SDDL conversion and the program's reader ----

class AppFileSecurityReaderTest : public ::testing::TestWithParam<ProtectionRow> {};

TEST_P(AppFileSecurityReaderTest, ReaderAgreesWithTheRowsAndSoDoesTheJudgement) {
    const ProtectionRow& row = GetParam();
    SCOPED_TRACE(row.sddl.value_or("(unreadable)"));
    UniqueLocal descriptor;
    if (row.sddl) {
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(WideFromAnsi(*row.sddl).c_str(),
                                                                           SDDL_REVISION_1, descriptor.put(), nullptr))
            << ::GetLastError();
    }
    const FileSecurity read = FileSecurityOf(descriptor.get());

    if (row.sddl) {
        EXPECT_EQ(read, fakes::FileSecurityFromSddl(*row.sddl)) << "the program's reader and the rows' reader differ";
    }
    EXPECT_EQ(FindProtectionProblem(read, row.role), row.problem);
}

INSTANTIATE_TEST_SUITE_P(Descriptors,
                         AppFileSecurityReaderTest,
                         ::testing::ValuesIn(fakes::ProtectionRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// ---- Real files under Wine ----

// Wine derives a file's descriptor from its Unix mode: the Wine user owns every file and folder with full
// access, so nothing there is protected.
TEST(AppFileSecurityOnDiskTest, WineFoldersAndFilesBelongToTheUserAndAreNeverProtected) {
    const std::wstring folder = WideFromUtf8(GetExeDirUtf8().substr(0, GetExeDirUtf8().size() - 1));
    const std::wstring program = WideFromUtf8(GetExePathUtf8());
    for (const std::wstring& path : {folder, program}) {
        SCOPED_TRACE(AnsiFromWide(path.c_str(), path.size()));
        const FileSecurity security = ReadFileSecurity(path);
        ASSERT_TRUE(security.readable);
        ASSERT_TRUE(security.owner);
        EXPECT_EQ(security.owner->rfind("S-1-5-21-", 0), 0u) << *security.owner;
        EXPECT_EQ(FindProtectionProblem(security, ProtectedRole::kProgramFolder), ProtectionProblem::kUntrustedOwner);
    }
}

TEST(AppFileSecurityOnDiskTest, MissingPathCannotBeRead) {
    const std::wstring missing = WideFromUtf8(GetExeDirUtf8()) + L"no such folder\\Quillcrest.exe";
    EXPECT_FALSE(ReadFileSecurity(missing).readable);
}

TEST(AppFileSecurityOnDiskTest, SystemProtectionNamesTheFolderOfTheExecutable) {
    const std::string folder = GetExeDirUtf8().substr(0, GetExeDirUtf8().size() - 1);
    SystemProgramProtection protection(WideFromUtf8(GetExePathUtf8()));
    const ProtectionVerdict verdict = protection.Check();
    EXPECT_FALSE(verdict.isProtected);
    EXPECT_EQ(verdict.reason, "its folder \"" + folder + "\" can be changed without administrator rights");
}

}  // namespace
}  // namespace quillcrest
