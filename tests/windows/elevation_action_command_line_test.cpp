// The elevated copy reads its order from the command line that the consent prompt shows. Characters that only
// look like the order's ASCII ones must reach the parser as what they are: the ANSI command line best-fits a
// fullwidth "１" to "1" and a fullwidth "／" to "/", which would turn a text the user never saw into an order.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "elevation/action_exit_code.h"
#include "support/helper_programs_win.h"
#include "support/row_name.h"
#include "support/startup_run_value_win.h"

namespace quillcrest {
namespace {

// Starts the real program (the build puts it beside the test binary) with the arguments as given, in UTF-16, and
// answers its exit code.
DWORD RunProgram(const std::wstring& arguments) {
    DWORD exitCode = 0;
    fakes::RunAndRead(L"\"" + fakes::FolderOfTestPrograms() + L"Quillcrest.exe\" " + arguments, exitCode);
    return exitCode;
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
    void SetUp() override { fakes::DeleteRunValue(); }
    void TearDown() override { fakes::DeleteRunValue(); }
};

TEST_P(ActionCommandLineTest, LookalikeOfAnAsciiCharacterIsRefusedAndChangesNothing) {
    const LookalikeCase& row = GetParam();
    SCOPED_TRACE(row.name);
    const DWORD exitCode = RunProgram(row.arguments);
    EXPECT_EQ(ReadActionExit(exitCode).kind, ActionExit::Kind::kRefusedCommandLine) << std::hex << exitCode;
    EXPECT_FALSE(fakes::StoredRunValue()) << "the order was carried out";
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ActionCommandLineTest,
                         ::testing::ValuesIn(kLookalikeCases),
                         fakes::RowName<LookalikeCase>);

}  // namespace
}  // namespace quillcrest
