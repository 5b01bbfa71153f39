#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/action_exit_code.h"
#include "app/elevating_allowed_list_save.h"
#include "app/privileged_action.h"
#include "app/program_protection_win.h"
#include "app/run_entry.h"
#include "app/runas_launcher_win.h"
#include "base/ansi_text_win.h"
#include "base/system_message_win.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_values_win.h"
#include "support/app_fake_elevation.h"
#include "watch/file_system_win.h"

namespace quillcrest {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 10;

// The real program beside the test binary (the build makes both in one folder).
std::string ProgramPath() {
    return GetExeDir() + "Quillcrest.exe";
}

// A plain top-level window that counts its timer ticks and notes whether it could take input at each.
class TickingWindow {
  public:
    TickingWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &TickingWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QcRunasOwner";
        ::RegisterClassA(&windowClass);
        window_ = ::CreateWindowExA(0, "QcRunasOwner", "Owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetTimer(window_, kTickTimer, kTickMs, nullptr);
    }
    ~TickingWindow() { ::DestroyWindow(window_); }

    HWND hwnd() const { return window_; }
    int ticks = 0;
    int ticksWhileEnabled = 0;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TickingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_TIMER) {
            ++self->ticks;
            if (::IsWindowEnabled(window))
                ++self->ticksWhileEnabled;
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

std::string FirstIpEnabledAdapter() {
    WmiConnection connection;
    WbemQuery query(&connection);
    query.setWql("Select * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=TRUE");
    query.open();
    return query.eof() ? std::string() : query.fieldByName("SettingID").asText();
}

class RunasLauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(::GetFileAttributesA(ProgramPath().c_str()), INVALID_FILE_ATTRIBUTES) << ProgramPath();
    }

    TickingWindow owner;
    RunasLauncher launcher{[this] { return owner.hwnd(); }, ProgramPath()};
};

// The real program in its action mode under Wine, which has no SetDNSServerSearchOrder: the run refuses with the
// method call failing, and the exit code names the adapter. Meanwhile the owner keeps ticking, disabled.
TEST_F(RunasLauncherTest, DnsActionRunsTheProgramAndItsExitCodeNamesTheRefusingAdapter) {
    const std::string adapter = FirstIpEnabledAdapter();
    ASSERT_FALSE(adapter.empty()) << "Wine always lists an IP-enabled adapter";
    ASSERT_TRUE(IsBracedGuid(adapter)) << adapter;
    const std::vector<DnsAssignment> assignments = {{adapter, {"10.0.0.1", "10.0.0.2"}}};

    const std::uint32_t exitCode =
        launcher.RunElevated(FormatActionArguments({PrivilegedActionKind::kSetDnsServers, assignments, ""}));

    const ActionExit exit = ReadActionExit(exitCode, assignments);
    ASSERT_EQ(exit.kind, ActionExit::Kind::kRefusals) << std::hex << exitCode;
    ASSERT_EQ(exit.outcome.refusals.size(), 1u);
    EXPECT_EQ(exit.outcome.refusals[0].settingId, adapter);
    EXPECT_EQ(exit.outcome.refusals[0].reason, AdapterMethodReturnText(kAdapterMethodCallFailed));
    EXPECT_GT(owner.ticks, 0) << "the window went on ticking while it waited";
    EXPECT_EQ(owner.ticksWhileEnabled, 0) << "and took no input meanwhile";
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd())) << "input is back once the run has ended";
}

TEST_F(RunasLauncherTest, RunValueActionsWriteOnlyTheProgramsOwnPathAndDeleteIt) {
    ASSERT_EQ(launcher.RunElevated("/write-run-value"), kActionExitDone);
    const TypedValue written = ReadRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String(""));
    EXPECT_TRUE(RunEntryNames(written.asString(), ProgramPath())) << written.asString();

    ASSERT_EQ(launcher.RunElevated("/delete-run-value"), kActionExitDone);
    const TypedValue gone = ReadRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String("<absent>"));
    EXPECT_EQ(gone.asString(), "<absent>");
    EXPECT_EQ(launcher.RunElevated("/delete-run-value"), kActionExitDone) << "deleting nothing is no failure";
}

TEST_F(RunasLauncherTest, TextThatIsNotOneActionChangesNothingAndExitsWithTheRefusal) {
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    for (const char* arguments : {"/write-run-value C:\\evil.exe", "/set-dns {x}=1.2.3.4", "/format-disk"}) {
        SCOPED_TRACE(arguments);
        const std::uint32_t exitCode = launcher.RunElevated(arguments);
        EXPECT_EQ(ReadActionExit(exitCode).kind, ActionExit::Kind::kRefusedCommandLine) << std::hex << exitCode;
    }
    const TypedValue value = ReadRegValue(kHkeyLocalMachine, kRunKey, kRunValue, TypedValue::String("<absent>"));
    EXPECT_EQ(value.asString(), "<absent>") << "no Run value was written";
}

// A copy of the real program in a folder of its own, started by a limited process whose protection check said
// "protected", as an installation for all users would be: the elevated run appends to that folder's list.
class ElevatedListSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-runas-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        program_ = folder_ + "Quillcrest.exe";
        list_ = folder_ + "AllowedDNS.txt";
        ASSERT_TRUE(::CopyFileA(ProgramPath().c_str(), program_.c_str(), FALSE)) << ::GetLastError();
    }
    void TearDown() override {
        ::DeleteFileA(list_.c_str());
        ::RemoveDirectoryA(list_.c_str());
        ::DeleteFileA(program_.c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }

    std::string ListText() {
        WinFileSystem files;
        return files.ReadWhole(list_).value_or("<missing>");
    }

    TickingWindow owner;
    fakes::FakeProcessElevation limited;
    fakes::FakeProgramProtection protection;
    std::string folder_;
    std::string program_;
    std::string list_;
};

TEST_F(ElevatedListSaveTest, ProtectedProgramAppendsEachListThroughOneElevatedRun) {
    {
        WinFileSystem files;
        files.CreateForWriting(list_)->Write("10.0.0.9\r\n");
    }
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    ElevatingAllowedListSave save(elevated);
    ASSERT_FALSE(save.WritesInProcess()) << "a protected folder is written by the elevated run";

    save.AppendElsewhere("10.0.0.1,10.0.0.2");
    save.AppendElsewhere("");

    EXPECT_EQ(ListText(), "10.0.0.9\r\n10.0.0.1,10.0.0.2\r\n\r\n");
    EXPECT_EQ(protection.checks, 3) << "checked for the route and before each run";
}

TEST_F(ElevatedListSaveTest, ListTheElevatedRunCannotWriteGivesTheSystemsReason) {
    // A folder where the file should be: the run can neither read nor replace it.
    ASSERT_TRUE(::CreateDirectoryA(list_.c_str(), nullptr));
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    try {
        ElevatingAllowedListSave(elevated).AppendElsewhere("10.0.0.1");
        FAIL() << "a list that was not saved must not pass for a saved one";
    } catch (const std::exception& error) {
        EXPECT_EQ(std::string(error.what()), SystemMessageText(ERROR_ACCESS_DENIED));
    }
}

// Under Wine every folder belongs to the user: the real check refuses, and nothing starts.
TEST_F(ElevatedListSaveTest, UnprotectedProgramStartsNoRunAndChangesNothing) {
    SystemProgramProtection systemProtection(WideFromAnsi(program_));
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, systemProtection, launcher, SystemMessageText);
    ElevatingAllowedListSave save(elevated);
    EXPECT_TRUE(save.WritesInProcess()) << "a folder the user can write is written in-process";

    try {
        elevated.Run({PrivilegedActionKind::kAllowDnsList, {}, "10.0.0.1"});
        FAIL() << "an unprotected program must not be started with administrator rights";
    } catch (const EProgramUnprotected& error) {
        const std::string expected = UnprotectedProgramMessage("its folder \"" + folder_.substr(0, folder_.size() - 1) +
                                                               "\" can be changed without administrator rights");
        EXPECT_EQ(error.what(), expected);
    }
    EXPECT_EQ(ListText(), "<missing>") << "no elevated run wrote the list";
}

}  // namespace
}  // namespace quillcrest
