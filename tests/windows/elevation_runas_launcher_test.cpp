#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/ansi_text_win.h"
#include "base/system_message_win.h"
#include "elevation/action_exit_code.h"
#include "elevation/dns_change_confirmation.h"
#include "elevation/elevating_allowed_list_save.h"
#include "elevation/privileged_action.h"
#include "elevation/program_protection_win.h"
#include "elevation/runas_launcher_win.h"
#include "netconfig/adapter_method_return.h"
#include "netconfig/connection_names_win.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_values_win.h"
#include "startup/run_entry.h"
#include "support/elevation_elevated_run_win.h"
#include "support/elevation_fakes.h"
#include "watch/file_system_win.h"

namespace quillcrest {
namespace {

using fakes::ConfirmationAnswerer;
using fakes::TickingWindow;

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "VORLANKE";

// The real program beside the test binary (the build makes both in one folder).
std::string ProgramPath() {
    return GetExeDirUtf8() + "Quillcrest.exe";
}

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

// The real program in its action mode under Wine, which has no SetDNSServerSearchOrder: the run shows the change
// in its own window and, on "Yes", refuses because the method is not there, and the exit code names the adapter.
// Meanwhile the owner keeps ticking, disabled.
TEST_F(RunasLauncherTest, DnsActionAsksInItsWindowAndItsExitCodeNamesTheRefusingAdapter) {
    const std::string adapter = FirstIpEnabledAdapter();
    ASSERT_FALSE(adapter.empty()) << "Wine always lists an IP-enabled adapter";
    ASSERT_TRUE(IsBracedGuid(adapter)) << adapter;
    const std::vector<DnsAssignment> assignments = {{adapter, {"10.0.0.1", "10.0.0.2"}}};

    ConfirmationAnswerer answerer(kDnsChangeConfirmationCaption, IDYES);
    const std::uint32_t exitCode =
        launcher.RunElevated(FormatActionArguments({PrivilegedActionKind::kSetDnsServers, assignments, {}}));

    ASSERT_TRUE(answerer.sawWindow());
    EXPECT_NE(answerer.text().find(AdapterLabel(adapter, ReadConnectionNames()) + ": 10.0.0.1, 10.0.0.2\n"),
              std::string::npos)
        << answerer.text();
    const ActionExit exit = ReadActionExit(exitCode, assignments);
    ASSERT_EQ(exit.kind, ActionExit::Kind::kRefusals) << std::hex << exitCode;
    ASSERT_EQ(exit.outcome.refusals.size(), 1u);
    EXPECT_EQ(exit.outcome.refusals[0].settingId, adapter);
    EXPECT_EQ(exit.outcome.refusals[0].reason, AdapterMethodReturnText(kAdapterMethodMissing));
    EXPECT_GT(owner.ticks, 0) << "the window went on ticking while it waited";
    EXPECT_EQ(owner.ticksWhileEnabled, 0) << "and took no input meanwhile";
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd())) << "input is back once the run has ended";
}

TEST_F(RunasLauncherTest, NoInTheWindowChangesNothingAndReadsAsDeclined) {
    const std::string adapter = FirstIpEnabledAdapter();
    ASSERT_TRUE(IsBracedGuid(adapter)) << adapter;
    const std::vector<DnsAssignment> assignments = {{adapter, {}}};

    ConfirmationAnswerer answerer(kDnsChangeConfirmationCaption, IDNO);
    const std::uint32_t exitCode =
        launcher.RunElevated(FormatActionArguments({PrivilegedActionKind::kSetDnsServers, assignments, {}}));

    ASSERT_TRUE(answerer.sawWindow());
    EXPECT_NE(answerer.text().find(": automatic (DHCP)\n"), std::string::npos) << answerer.text();
    EXPECT_EQ(ReadActionExit(exitCode, assignments).kind, ActionExit::Kind::kDeclined) << std::hex << exitCode;
}

// The list verb writes only beside a protected program, and under Wine no folder is protected: the copy refuses,
// writes nothing and shows no window.
TEST_F(RunasLauncherTest, AllowedListActionIsRefusedInAFolderTheUserCanChange) {
    const std::string path = GetExeDirUtf8() + "AllowedDNS.txt";
    ::DeleteFileA(path.c_str());
    {
        std::ofstream existing(path, std::ios::binary);
        existing << "127.0.0.5\r\n";
    }
    ConfirmationAnswerer answerer(kDnsChangeConfirmationCaption, IDNO);
    const std::uint32_t exitCode = launcher.RunElevated("/allow-dns-list 10.0.0.1,10.0.0.2");
    std::ostringstream saved;
    saved << std::ifstream(path, std::ios::binary).rdbuf();
    ::DeleteFileA(path.c_str());

    const ActionExit exit = ReadActionExit(exitCode);
    EXPECT_EQ(exit.kind, ActionExit::Kind::kError) << std::hex << exitCode;
    EXPECT_EQ(exit.errorCode, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(saved.str(), "127.0.0.5\r\n");
    EXPECT_EQ(::GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES) << "no temporary file either";
    EXPECT_FALSE(answerer.sawWindow());
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
    ConfirmationAnswerer answerer(kDnsChangeConfirmationCaption, IDYES);
    for (const char* arguments : {"/write-run-value C:\\evil.exe", "/set-dns {x}=1.2.3.4", "/format-disk",
                                  "/set-dns (4D36E972-E325-11CE-BFC1-08002BE10318)=10.0.0.1"}) {
        SCOPED_TRACE(arguments);
        const std::uint32_t exitCode = launcher.RunElevated(arguments);
        EXPECT_EQ(ReadActionExit(exitCode).kind, ActionExit::Kind::kRefusedCommandLine) << std::hex << exitCode;
    }
    EXPECT_FALSE(answerer.sawWindow()) << "nothing to confirm";
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

// The unelevated side trusts the answer it was given and starts one run per list; the copy checks for itself, and
// under Wine its folder is one the user can change: it refuses, the user hears the system's reason, and the list
// stays as it was.
TEST_F(ElevatedListSaveTest, ProtectedAnswerStartsTheRunWhichChecksForItselfAndRefuses) {
    {
        WinFileSystem files;
        files.CreateForWriting(list_)->Write("10.0.0.9\r\n");
    }
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    ElevatingAllowedListSave save(elevated);
    ASSERT_FALSE(save.WritesInProcess()) << "a protected folder is written by the elevated run";

    for (const char* list : {"10.0.0.1,10.0.0.2", ""}) {
        SCOPED_TRACE(list);
        try {
            save.AppendElsewhere(list);
            FAIL() << "a list that was not saved must not pass for a saved one";
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(error.what()), SystemMessageText(ERROR_ACCESS_DENIED));
        }
    }
    EXPECT_EQ(ListText(), "10.0.0.9\r\n");
    EXPECT_EQ(protection.checks, 3) << "checked for the route and before each run";
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
