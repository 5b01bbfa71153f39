// The elevated copy reads its order from the command line that the consent prompt shows. Characters that only
// look like the order's ASCII ones must reach the parser as what they are: the ANSI command line best-fits a
// fullwidth "１" to "1" and a fullwidth "／" to "/", which would turn a text the user never saw into an order.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/action_exit_code.h"
#include "base/win_handles_win.h"
#include "support/http_row_name.h"

namespace quillcrest {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"VORLANKE";
constexpr DWORD kLongestRunMs = 60000;

// The real program beside the test binary (the build makes both in one folder).
std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"Quillcrest.exe";
}

// Starts the program with the arguments as given, in UTF-16, and answers its exit code.
DWORD RunProgram(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return ::GetLastError();
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
    if (::WaitForSingleObject(process.get(), kLongestRunMs) != WAIT_OBJECT_0)
        return WAIT_TIMEOUT;
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

bool RunValuePresent() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(opened);
    return ::RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

struct LookalikeCase {
    const char* name;
    const wchar_t* arguments;  // each is a valid order once its lookalike is read as the ASCII character
};

void PrintTo(const LookalikeCase& row, std::ostream* out) {
    *out << row.name;
}

const LookalikeCase kLookalikeCases[] = {
    {"fullwidth digit in a server",
     L"/set-dns {4D36E972-E325-11CE-BFC1-08002BE10318}=\xFF11"
     L"0.0.0.1"},
    {"fullwidth equals sign",
     L"/set-dns {4D36E972-E325-11CE-BFC1-08002BE10318}\xFF1D"
     L"10.0.0.1"},
    {"fullwidth solidus before the order", L"\xFF0Fwrite-run-value"},
    {"division slash before the order", L"\x2215write-run-value"},
};

class ActionCommandLineTest : public ::testing::TestWithParam<LookalikeCase> {
  protected:
    void SetUp() override { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue); }
    void TearDown() override { ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue); }
};

TEST_P(ActionCommandLineTest, LookalikeOfAnAsciiCharacterIsRefusedAndChangesNothing) {
    const LookalikeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const DWORD exitCode = RunProgram(row.arguments);
    EXPECT_EQ(ReadActionExit(exitCode).kind, ActionExit::Kind::kRefusedCommandLine) << std::hex << exitCode;
    EXPECT_FALSE(RunValuePresent()) << "the order was carried out";
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionCommandLineTest,
                         ::testing::ValuesIn(kLookalikeCases),
                         fakes::RowName<LookalikeCase>);

}  // namespace
}  // namespace quillcrest
