#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "elevation/program_protection.h"
#include "elevation/protected_program_folder.h"
#include "elevation/protection_rules.h"
#include "support/elevation_fakes.h"
#include "support/elevation_protection_rows.h"
#include "support/elevation_sddl_reader.h"
#include "support/row_name.h"

namespace quillcrest {

void PrintTo(ProtectionProblem problem, std::ostream* out) {
    static const char* const kNames[] = {
        "none", "unreadable", "unknown content", "no owner", "untrusted owner", "null DACL", "untrusted grant"};
    *out << kNames[static_cast<int>(problem)];
}

namespace {

using fakes::FileSecurityFromSddl;
using fakes::ProtectionRow;
using fakes::ProtectionRows;

FileSecurity ReadRow(const ProtectionRow& row) {
    return row.sddl ? FileSecurityFromSddl(*row.sddl) : FileSecurity{};
}

// ---- One descriptor in its role ----

class AppProtectionRulesTest : public ::testing::TestWithParam<ProtectionRow> {};

TEST_P(AppProtectionRulesTest, OnlyTheSystemAdministratorsAndTrustedInstallerMayChangeWhatRunsElevated) {
    const ProtectionRow& row = GetParam();
    SCOPED_TRACE(row.sddl.value_or("(unreadable)"));
    EXPECT_EQ(FindProtectionProblem(ReadRow(row), row.role), row.problem);
}

INSTANTIATE_TEST_SUITE_P(Descriptors,
                         AppProtectionRulesTest,
                         ::testing::ValuesIn(ProtectionRows()),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

// ---- The objects that decide for an executable's path ----

struct PathsCase {
    const char* name;
    std::wstring executable;
    std::vector<ProtectedPath> expected;  // empty: a form that is never protected
};

void PrintTo(const PathsCase& row, std::ostream* out) {
    *out << row.name;
}

class AppProtectedPathsTest : public ::testing::TestWithParam<PathsCase> {};

TEST_P(AppProtectedPathsTest, FolderThenProgramThenEveryFolderUpToTheRoot) {
    const PathsCase& row = GetParam();
    SCOPED_TRACE(row.name);
    EXPECT_EQ(PathsThatProtect(row.executable), row.expected);
}

constexpr ProtectedRole kFolder = ProtectedRole::kProgramFolder;
constexpr ProtectedRole kFile = ProtectedRole::kProgramFile;
constexpr ProtectedRole kAbove = ProtectedRole::kFolderAbove;

const PathsCase kPathsCases[] = {
    {"program files",
     L"C:\\Program Files\\Quillcrest\\Quillcrest.exe",
     {{L"C:\\Program Files\\Quillcrest", kFolder},
      {L"C:\\Program Files\\Quillcrest\\Quillcrest.exe", kFile},
      {L"C:\\Program Files", kAbove},
      {L"C:\\", kAbove}}},
    {"in the root itself", L"D:\\Quillcrest.exe", {{L"D:\\", kFolder}, {L"D:\\Quillcrest.exe", kFile}}},
    {"share",
     L"\\\\server\\tools\\Quillcrest\\Quillcrest.exe",
     {{L"\\\\server\\tools\\Quillcrest", kFolder},
      {L"\\\\server\\tools\\Quillcrest\\Quillcrest.exe", kFile},
      {L"\\\\server\\tools\\", kAbove}}},
    {"long form on a drive",
     L"\\\\?\\C:\\Apps\\Quillcrest.exe",
     {{L"\\\\?\\C:\\Apps", kFolder}, {L"\\\\?\\C:\\Apps\\Quillcrest.exe", kFile}, {L"\\\\?\\C:\\", kAbove}}},
    {"long form on a share",
     L"\\\\?\\UNC\\server\\tools\\Quillcrest.exe",
     {{L"\\\\?\\UNC\\server\\tools\\", kFolder}, {L"\\\\?\\UNC\\server\\tools\\Quillcrest.exe", kFile}}},
    {"relative", L"Quillcrest.exe", {}},
    {"relative to a drive's current folder", L"C:Quillcrest.exe", {}},
    {"dot dot part", L"C:\\Apps\\..\\Quillcrest.exe", {}},
    {"dot part", L"C:\\Apps\\.\\Quillcrest.exe", {}},
    {"empty part", L"C:\\Apps\\\\Quillcrest.exe", {}},
    {"forward slash", L"C:\\Apps/Sub\\Quillcrest.exe", {}},
    {"stream name", L"C:\\Apps\\Quillcrest.exe:hidden", {}},
    {"device namespace", L"\\\\.\\C:\\Quillcrest.exe", {}},
    {"long device path", L"\\\\?\\GLOBALROOT\\Device\\Quillcrest.exe", {}},
    {"share without a share name", L"\\\\server\\Quillcrest.exe", {}},
    {"root alone", L"C:\\", {}},
    {"folder with its separator", L"C:\\Apps\\", {}},
    {"empty", L"", {}},
};

INSTANTIATE_TEST_SUITE_P(Forms, AppProtectedPathsTest, ::testing::ValuesIn(kPathsCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// ---- A whole installation ----

// Descriptors by path; a path without one cannot be read.
struct Installation {
    std::map<std::wstring, std::string> sddl;
    std::vector<std::wstring> read;

    FileSecurity Read(const std::wstring& path) {
        read.push_back(path);
        const auto found = sddl.find(path);
        return found == sddl.end() ? FileSecurity{} : FileSecurityFromSddl(found->second);
    }
};

std::string Narrow(const std::wstring& path) {
    return std::string(path.begin(), path.end());
}

const std::string kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const std::string kUser = "S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string kProtectedFolder = "O:BAD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
const std::string kUsersFolder = "O:" + kUser + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + kUser + ")";
const std::string kDriveRoot = "O:" + kTrustedInstaller +
                               "D:PAI(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
                               "(A;OICI;0x1200a9;;;BU)";

ProtectionVerdict Judge(Installation& installation, const std::wstring& executable) {
    return JudgeProgramProtection(
        executable, [&](const std::wstring& path) { return installation.Read(path); }, Narrow);
}

TEST(AppProgramProtectionTest, InstallationForAllUsersIsProtectedAfterEveryObjectWasRead) {
    Installation installation{{{L"C:\\Program Files\\Quillcrest", kProtectedFolder},
                               {L"C:\\Program Files\\Quillcrest\\Quillcrest.exe", kProtectedFolder},
                               {L"C:\\Program Files", kProtectedFolder},
                               {L"C:\\", kDriveRoot}},
                              {}};
    const ProtectionVerdict verdict = Judge(installation, L"C:\\Program Files\\Quillcrest\\Quillcrest.exe");
    EXPECT_TRUE(verdict.isProtected) << verdict.reason;
    EXPECT_EQ(installation.read, (std::vector<std::wstring>{L"C:\\Program Files\\Quillcrest",
                                                            L"C:\\Program Files\\Quillcrest\\Quillcrest.exe",
                                                            L"C:\\Program Files", L"C:\\"}));
}

// Each installation that is not protected, and the reason the user reads for it.
struct VerdictCase {
    const char* name;
    std::map<std::wstring, std::string> sddl;
    std::wstring executable;
    std::string reason;
};

void PrintTo(const VerdictCase& row, std::ostream* out) {
    *out << row.name;
}

class AppProgramProtectionVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(AppProgramProtectionVerdictTest, FirstObjectFoundWantingNamesTheReason) {
    const VerdictCase& row = GetParam();
    SCOPED_TRACE(row.name);
    Installation installation{row.sddl, {}};
    const ProtectionVerdict verdict = Judge(installation, row.executable);
    EXPECT_FALSE(verdict.isProtected);
    EXPECT_EQ(verdict.reason, row.reason);
}

const VerdictCase kVerdictCases[] = {
    {"installation for one user",
     {{L"C:\\Users\\me\\AppData\\Local\\Programs\\Quillcrest", kUsersFolder},
      {L"C:\\Users\\me\\AppData\\Local\\Programs\\Quillcrest\\Quillcrest.exe", kUsersFolder}},
     L"C:\\Users\\me\\AppData\\Local\\Programs\\Quillcrest\\Quillcrest.exe",
     "its folder \"C:\\Users\\me\\AppData\\Local\\Programs\\Quillcrest\" can be changed without administrator "
     "rights"},
    {"program file replaceable in a protected folder",
     {{L"C:\\Apps", kProtectedFolder}, {L"C:\\Apps\\Quillcrest.exe", "O:BAD:(A;;FA;;;SY)(A;;FW;;;BU)"}},
     L"C:\\Apps\\Quillcrest.exe",
     "its program file \"C:\\Apps\\Quillcrest.exe\" can be changed without administrator rights"},
    {"folder above that users may rename",
     {{L"C:\\Tools\\Quillcrest", kProtectedFolder},
      {L"C:\\Tools\\Quillcrest\\Quillcrest.exe", kProtectedFolder},
      {L"C:\\Tools", "O:BAD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;AU)"},
      {L"C:\\", kDriveRoot}},
     L"C:\\Tools\\Quillcrest\\Quillcrest.exe",
     "the folder \"C:\\Tools\" that holds its folder can be renamed without administrator rights"},
    {"root that cannot be read",
     {{L"C:\\Tools\\Quillcrest", kProtectedFolder},
      {L"C:\\Tools\\Quillcrest\\Quillcrest.exe", kProtectedFolder},
      {L"C:\\Tools", kProtectedFolder}},
     L"C:\\Tools\\Quillcrest\\Quillcrest.exe",
     "the permissions of \"C:\\\" could not be read"},
    {"entry not judged",
     {{L"C:\\Apps", "O:BAD:(A;;FA;;;SY)(AL;;FR;;;BU)"}},
     L"C:\\Apps\\Quillcrest.exe",
     "the permissions of \"C:\\Apps\" hold entries Quillcrest cannot judge"},
    {"no owner",
     {{L"C:\\Apps", "D:(A;;FA;;;SY)"}},
     L"C:\\Apps\\Quillcrest.exe",
     "the permissions of \"C:\\Apps\" name no owner"},
    {"path of another form", {}, L"Quillcrest.exe", "the path \"Quillcrest.exe\" is of a form Quillcrest cannot check"},
    {"path that could not be read", {}, L"", "the path of its program file could not be read"},
};

INSTANTIATE_TEST_SUITE_P(Installations,
                         AppProgramProtectionVerdictTest,
                         ::testing::ValuesIn(kVerdictCases),
                         [](const auto& info) { return fakes::RowName(info.param.name); });

TEST(AppProgramProtectionTest, MessageSaysWhyAndWhatToDoAndTheExceptionCarriesIt) {
    const std::string reason = "its folder \"C:\\Apps\" can be changed without administrator rights";
    const std::string expected =
        "The change was not made, because Quillcrest asks for administrator rights only where no program without "
        "them can change its files, and its folder \"C:\\Apps\" can be changed without administrator rights. "
        "Install Quillcrest for all users with its Setup, or start it with \"Run as administrator\".";
    EXPECT_EQ(UnprotectedProgramMessage(reason), expected);
    EXPECT_EQ(EProgramUnprotected(reason).what(), expected);
}

// The elevated run writes beside the program only when the program is protected; an unknown path is never taken
// for the working directory.
TEST(AppProtectedProgramFolderTest, WritesGoOnlyBesideAProtectedProgram) {
    fakes::FakeProgramProtection protection;
    EXPECT_EQ(ProtectedProgramFolder("C:\\Program Files\\Quillcrest\\Quillcrest.exe", protection),
              "C:\\Program Files\\Quillcrest\\");
    EXPECT_EQ(protection.checks, 1);

    protection.MakeUnprotected();
    try {
        ProtectedProgramFolder("C:\\Apps\\Quillcrest.exe", protection);
        FAIL() << "an unprotected folder must not be written with administrator rights";
    } catch (const EProgramUnprotected& error) {
        EXPECT_EQ(error.what(), UnprotectedProgramMessage(fakes::FakeProgramProtection::kReason));
    }
    EXPECT_THROW(ProtectedProgramFolder("", protection), EProgramUnprotected);
    EXPECT_THROW(ProtectedProgramFolder("Quillcrest.exe", protection), EProgramUnprotected);
}

}  // namespace
}  // namespace quillcrest
