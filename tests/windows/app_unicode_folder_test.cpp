// A copy of the program in a folder whose name holds characters outside the ANSI code page: it must find its own
// path, keep its allowed list there and name itself in the Run value exactly, as read back with the W functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/action_exit_code.h"
#include "app/runas_launcher_win.h"
#include "base/utf8_text_win.h"
#include "base/win_handles_win.h"
#include "watch/allowed_list.h"

namespace quillcrest {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"VORLANKE";
// Greek and CJK letters, with blanks, so that the Run value must be quoted too.
constexpr wchar_t kFolderName[] = L"Quillcrest \x03A9\x03BC\x03AD\x03B3\x03B1 \x65E5\x672C";
constexpr DWORD kLongestRunMs = 60000;

std::wstring FolderOfThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring whole(path, length);
    return whole.substr(0, whole.find_last_of(L'\\') + 1);
}

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

// The Run value as stored, read with the W functions; "<absent>" when there is none.
std::wstring StoredRunValue() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return L"<absent>";
    const UniqueKey key(opened);
    wchar_t text[1024] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return L"<absent>";
    return text;
}

// Runs a program and answers what it printed; its exit code goes to exitCode.
std::string RunAndRead(const std::wstring& program, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return "<no pipe>";
    UniqueKernelHandle reader(readEnd);
    UniqueKernelHandle writer(writeEnd);
    ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    std::wstring commandLine = L"\"" + program + L"\"";
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &started))
        return "<not started>";
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    writer.reset();
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (::ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    ::WaitForSingleObject(process.get(), kLongestRunMs);
    ::GetExitCodeProcess(process.get(), &exitCode);
    return output;
}

std::wstring AllowedListFileName() {
    const std::string name = AllowedList::kFileName;
    return std::wstring(name.begin(), name.end());
}

// The value of a "name=value" line of a probe's output.
std::string ValueOf(const std::string& output, const std::string& name) {
    const std::string key = "\n" + name + "=";
    const std::size_t at = ("\n" + output).find(key);
    if (at == std::string::npos)
        return "<no " + name + ">";
    const std::size_t start = at + key.size() - 1;
    const std::size_t end = output.find_first_of("\r\n", start);
    return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
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
            ASSERT_TRUE(::CopyFileW((FolderOfThisProgram() + name).c_str(), (folder_ + name).c_str(), FALSE));
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    }
    void TearDown() override {
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
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
    const std::string output = RunAndRead(probe, exitCode);
    ASSERT_NE(output.find("started"), std::string::npos) << output;
    EXPECT_EQ(exitCode, 0u) << output;
    EXPECT_EQ(ValueOf(output, "path"), Utf8FromWide(probe));
    EXPECT_EQ(ValueOf(output, "entries"), "127.0.0.9") << "a fresh load reads back what was saved";
    EXPECT_EQ(ReadFileWide(folder_ + AllowedListFileName()), L"127.0.0.9\r\n") << "the list lies beside the program";
    EXPECT_EQ(StoredRunValue(), L"\"" + probe + L"\"");
    EXPECT_EQ(ValueOf(output, "names-itself"), "1") << "the value it wrote names it, read back and compared";
}

TEST_F(ProgramInForeignFolderTest, RunValueNamesTheCopyExactly) {
    const std::wstring program = folder_ + L"Quillcrest.exe";
    RunasLauncher launcher(nullptr, Utf8FromWide(program));
    ASSERT_EQ(launcher.RunElevated("/write-run-value"), kActionExitDone);
    EXPECT_EQ(StoredRunValue(), L"\"" + program + L"\"");

    ASSERT_EQ(launcher.RunElevated("/delete-run-value"), kActionExitDone);
    EXPECT_EQ(StoredRunValue(), L"<absent>");
}

}  // namespace
}  // namespace quillcrest
