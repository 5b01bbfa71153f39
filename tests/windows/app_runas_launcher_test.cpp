#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/action_exit_code.h"
#include "app/privileged_action.h"
#include "app/run_entry.h"
#include "app/runas_launcher_win.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_values_win.h"

namespace quillcrest {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 10;

// The real program beside the test binary (the build makes both in one folder).
std::string ProgramPath() {
    return GetExeDirUtf8() + "Quillcrest.exe";
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
        launcher.RunElevated(FormatActionArguments({PrivilegedActionKind::kSetDnsServers, assignments}));

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

}  // namespace
}  // namespace quillcrest
