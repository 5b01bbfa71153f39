// A copy of the program in a folder whose name holds characters outside the ANSI code page: it must find its own
// path, keep its allowed list there and name itself in the Run value exactly, as read back with the W functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "elevation/action_exit_code.h"
#include "elevation/runas_launcher_win.h"
#include "support/helper_programs_win.h"
#include "support/startup_run_value_win.h"
#include "watch/allowed_list.h"

namespace quillcrest {
namespace {

// Greek and CJK letters, with blanks, so that the Run value must be quoted too.
constexpr wchar_t kFolderName[] = L"Quillcrest \x03A9\x03BC\x03AD\x03B3\x03B1 \x65E5\x672C";

// True when the text cannot be written in the ANSI code page without losing characters.
bool OutsideAnsiCodePage(const std::wstring& text) {
    BOOL lost = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                          nullptr, &lost);
    return lost != FALSE;
}

std::wstring ReadFileWide(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return L"<missing>";
    char buffer[256] = {};
    DWORD got = 0;
    ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
    return std::wstring(buffer, buffer + got);
}

std::wstring AllowedListFileName() {
    const std::string name = AllowedList::kFileName;
    return std::wstring(name.begin(), name.end());
}

class ProgramInForeignFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + kFolderName + L" " + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ASSERT_TRUE(OutsideAnsiCodePage(folder_))
            << "the code page holds the folder's name: the test would prove nothing";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
        for (const wchar_t* name : {L"Quillcrest.exe", L"qc_own_folder_probe.exe"})
            ASSERT_TRUE(::CopyFileW((fakes::FolderOfTestPrograms() + name).c_str(), (folder_ + name).c_str(), FALSE));
        fakes::DeleteRunValue();
    }
    void TearDown() override {
        fakes::DeleteRunValue();
        for (const std::wstring& name :
             {std::wstring(L"Quillcrest.exe"), std::wstring(L"qc_own_folder_probe.exe"), AllowedListFileName()})
            ::DeleteFileW((folder_ + name).c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }

    std::wstring folder_;
};

// The program's own code in a process of its own, copied into the folder: its path, its allowed list and its
// Run value, written and compared.
TEST_F(ProgramInForeignFolderTest, FindsItsPathKeepsItsListBesideItselfAndNamesItselfToWindows) {
    const std::wstring probe = folder_ + L"qc_own_folder_probe.exe";
    DWORD exitCode = 0;
    const std::string output = fakes::RunAndRead(L"\"" + probe + L"\"", exitCode);
    ASSERT_NE(output.find("started"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 0u) << output;
    EXPECT_EQ(fakes::ValuesOf(output, "path"), std::vector<std::string>{Utf8FromWide(probe)});
    EXPECT_EQ(fakes::ValuesOf(output, "entries"), std::vector<std::string>{"127.0.0.9"})
        << "a fresh load reads back what was saved";
    EXPECT_EQ(ReadFileWide(folder_ + AllowedListFileName()), L"127.0.0.9\r\n") << "the list lies beside the program";
    EXPECT_EQ(fakes::StoredRunValue(), L"\"" + probe + L"\"");
    EXPECT_EQ(fakes::ValuesOf(output, "names-itself"), std::vector<std::string>{"1"})
        << "the value it wrote names it, read back and compared";
}

TEST_F(ProgramInForeignFolderTest, RunValueNamesTheCopyExactly) {
    const std::wstring program = folder_ + L"Quillcrest.exe";
    RunasLauncher launcher(nullptr, Utf8FromWide(program));
    ASSERT_EQ(launcher.RunElevated("/write-run-value"), kActionExitDone);
    EXPECT_EQ(fakes::StoredRunValue(), L"\"" + program + L"\"");

    ASSERT_EQ(launcher.RunElevated("/delete-run-value"), kActionExitDone);
    EXPECT_FALSE(fakes::StoredRunValue());
}

}  // namespace
}  // namespace quillcrest
