// "Undo" through the real program and the real registry of the prefix: the elevated run that reads its baseline
// only beside a protected program, and the route of a program that has administrator rights itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "base/system_message_win.h"
#include "elevation/action_exit_code.h"
#include "elevation/elevating_dns_undo.h"
#include "elevation/runas_launcher_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_actions_win.h"
#include "resolution/undo_confirmation.h"
#include "settings/process_facts_win.h"
#include "support/elevation_elevated_run_win.h"
#include "support/elevation_fakes.h"
#include "support/resolution_registry_scratch_win.h"
#include "watch/file_system_win.h"
#include "widgets/message_box_win.h"

namespace quillcrest {
namespace {

using fakes::ConfirmationAnswerer;
using fakes::RegistryScratch;
using fakes::TickingWindow;
using fakes::Utf16Bytes;

constexpr char kLocalRules[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters\\DnsPolicyConfig";

bool KeyExists(const std::string& path) {
    UniqueKey key;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.put()) == ERROR_SUCCESS;
}

// A copy of the real program in a folder of its own with the settings of now stored beside it as the baseline,
// and then a name resolution rule written that the baseline does not hold.
class DnsUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-undo-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        program_ = folder_ + "Quillcrest.exe";
        baselinePath_ = DnsBaselinePath(folder_);
        ASSERT_TRUE(::CopyFileA((GetExeDirUtf8() + "Quillcrest.exe").c_str(), program_.c_str(), FALSE))
            << ::GetLastError();
        rule_ = std::string(kLocalRules) + "\\{QC-UNDO-APP-" + std::to_string(::GetCurrentProcessId()) + "}";
        baseline_ = SystemResolutionReader().ReadAll();
        files_.CreateForWriting(baselinePath_)->Write(SerializeDnsBaseline(baseline_));
        registry_.Set(rule_, "Name", REG_MULTI_SZ, Utf16Bytes(L".undo.example") + std::string(2, '\0'));
        registry_.Set(rule_, "GenericDNSServers", REG_SZ, Utf16Bytes(L"127.0.66.66"));
    }
    void TearDown() override {
        for (const std::string& file : {baselinePath_, program_})
            ::DeleteFileA(file.c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }

    ElevatingDnsUndo Route(ElevatedActions& elevated) {
        return ElevatingDnsUndo({elevated, actions_, [] { return SystemResolutionReader().ReadAll(); },
                                 [this] { return ParseDnsBaseline(files_.ReadWhole(baselinePath_)); },
                                 [](const std::string& question) {
                                     return ShowModalUnicodeMessageBox(question, kUndoConfirmationCaption,
                                                                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
                                            IDYES;
                                 }});
    }

    TickingWindow owner;
    fakes::FakeProcessElevation elevation;
    fakes::FakeProgramProtection protection;
    RegistryScratch registry_;
    Win32UndoActions actions_;
    WinFileSystem files_;
    ResolutionSettings baseline_;
    std::string folder_;
    std::string program_;
    std::string baselinePath_;
    std::string rule_;
};

// The run itself, started by another program for a copy in a folder its user can change (every folder under Wine):
// a baseline planted there would be written with full rights, so it refuses before it reads the file, changes
// nothing and shows no window.
TEST_F(DnsUndoTest, TheRunRefusesInAFolderTheUserCanChangeAndChangesNothing) {
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ConfirmationAnswerer answerer(kUndoConfirmationCaption, IDYES);

    const std::uint32_t exitCode = launcher.RunElevated("/undo-dns-changes");

    const ActionExit exit = ReadActionExit(exitCode);
    EXPECT_EQ(exit.kind, ActionExit::Kind::kError) << std::hex << exitCode;
    EXPECT_EQ(exit.errorCode, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(KeyExists(rule_)) << "the rule the baseline does not hold is still there";
    EXPECT_FALSE(answerer.sawWindow());
}

// A limited program that believes itself protected: the run's refusal reaches "Undo" as the error it shows, and
// nothing is reported as put back.
TEST_F(DnsUndoTest, ARefusedRunIsAnErrorAndNoReport) {
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(elevation, protection, launcher, SystemMessageText);
    ElevatingDnsUndo undo = Route(elevated);

    try {
        undo.Undo(baseline_);
        ADD_FAILURE() << "the refused run raised nothing";
    } catch (const EElevationDeclined&) {
        ADD_FAILURE() << "a refusal read as declined";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()), ActionErrorText(ERROR_ACCESS_DENIED, SystemMessageText));
    }
    EXPECT_TRUE(KeyExists(rule_));
}

// A program with administrator rights puts the baseline back itself: one question, in its UTF-16 box that another
// process reads through WM_GETTEXT, then the rule is gone for real and the report says so; nothing is started.
TEST_F(DnsUndoTest, AnElevatedProgramAsksOnceAndPutsTheRuleBackItself) {
    elevation.elevated = true;
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(elevation, protection, launcher, SystemMessageText);
    ElevatingDnsUndo undo = Route(elevated);
    const std::string setting = "name resolution rule \".undo.example\" (\"local rules\")";

    std::optional<std::string> report;
    std::string question;
    {
        ConfirmationAnswerer answerer(kUndoConfirmationCaption, IDYES);
        report = undo.Undo(baseline_);
        ASSERT_TRUE(answerer.sawWindow());
        question = answerer.text();
    }

    EXPECT_NE(question.find(setting + ": delete it\n"), std::string::npos) << question;
    EXPECT_EQ(report, "Put back:\n" + setting + ": deleted");
    EXPECT_FALSE(KeyExists(rule_));
    EXPECT_EQ(protection.checks, 0) << "no elevated run was considered";
    EXPECT_TRUE(CompareResolutionSettings(baseline_, SystemResolutionReader().ReadAll()).empty());
}

TEST_F(DnsUndoTest, NoToTheQuestionChangesNothing) {
    elevation.elevated = true;
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(elevation, protection, launcher, SystemMessageText);
    ElevatingDnsUndo undo = Route(elevated);

    ConfirmationAnswerer answerer(kUndoConfirmationCaption, IDNO);
    EXPECT_EQ(undo.Undo(baseline_), std::nullopt);
    EXPECT_TRUE(KeyExists(rule_));
}

}  // namespace
}  // namespace quillcrest
