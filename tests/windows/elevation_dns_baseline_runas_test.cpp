// "Keep" through the real program's elevated run: that run reads the DNS settings itself and keeps them beside its
// executable, only there where its folder is protected, asking first in its own window when a stored baseline
// differs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/ansi_text_win.h"
#include "base/system_message_win.h"
#include "elevation/action_exit_code.h"
#include "elevation/confirmation_box_win.h"
#include "elevation/dns_baseline_confirmation.h"
#include "elevation/elevating_dns_baseline_save.h"
#include "elevation/program_protection_win.h"
#include "elevation/runas_launcher_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_comparison.h"
#include "resolution/system_resolution_reader_win.h"
#include "settings/process_facts_win.h"
#include "support/elevation_elevated_run_win.h"
#include "support/elevation_fakes.h"
#include "watch/file_system_win.h"

namespace quillcrest {
namespace {

using fakes::ConfirmationAnswerer;
using fakes::TickingWindow;

// A copy of the real program in a folder of its own, started by a limited process whose protection check said
// "protected", as an installation for all users would be.
class ElevatedBaselineKeepTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
        folder_ = std::string(temp) + "quillcrest-baseline-" + std::to_string(::GetCurrentProcessId()) + "\\";
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        program_ = folder_ + "Quillcrest.exe";
        baseline_ = DnsBaselinePath(folder_);
        ASSERT_TRUE(::CopyFileA((GetExeDirUtf8() + "Quillcrest.exe").c_str(), program_.c_str(), FALSE))
            << ::GetLastError();
    }
    void TearDown() override {
        for (const std::string& file : {baseline_, baseline_ + ".new", program_})
            ::DeleteFileA(file.c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }

    std::optional<std::string> BaselineText() { return files_.ReadWhole(baseline_); }
    // The settings now, with a hosts line that is not in the file.
    static ResolutionSettings PlantedHostsLine() {
        SystemResolutionReader reader;
        ResolutionSettings settings = reader.ReadAll();
        settings.hosts.state = HostsFileState::Read;
        settings.hosts.content = HostsContentFromBytes("127.0.0.1 localhost\r\n127.0.0.77 planted.example\r\n");
        return settings;
    }
    void StoreBaseline(const ResolutionSettings& settings) {
        files_.CreateForWriting(baseline_)->Write(SerializeDnsBaseline(settings));
    }

    TickingWindow owner;
    fakes::FakeProcessElevation limited;
    fakes::FakeProgramProtection protection;
    WinFileSystem files_;
    std::string folder_;
    std::string program_;
    std::string baseline_;
};

// The elevated run itself, asked by another program for a copy in a folder its user can change (every folder under
// Wine): a link planted there in place of the file would send the write anywhere, so the run refuses before it reads
// anything, writes nothing, not even its temporary file, and shows no window, whether a baseline is stored or not.
TEST_F(ElevatedBaselineKeepTest, TheRunRefusesInAFolderTheUserCanChangeAndWritesNothing) {
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    for (const bool storedBefore : {false, true}) {
        SCOPED_TRACE(storedBefore ? "a baseline stored" : "no baseline stored");
        if (storedBefore)
            StoreBaseline(PlantedHostsLine());
        const std::optional<std::string> before = BaselineText();

        ConfirmationAnswerer answerer(kDnsBaselineConfirmationCaption, IDYES);
        const std::uint32_t exitCode = launcher.RunElevated("/keep-dns-baseline");

        const ActionExit exit = ReadActionExit(exitCode);
        EXPECT_EQ(exit.kind, ActionExit::Kind::kError) << std::hex << exitCode;
        EXPECT_EQ(exit.errorCode, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(BaselineText(), before);
        EXPECT_EQ(::GetFileAttributesA((baseline_ + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_FALSE(answerer.sawWindow());
    }
}

// The route of a limited program that believes itself protected: the refusal comes back as the error "Keep"
// shows, with the system's reason, never as a baseline kept.
TEST_F(ElevatedBaselineKeepTest, ARefusedRunReachesKeepAsAnErrorWithTheReason) {
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    ElevatingDnsBaselineSave save(elevated);
    ASSERT_FALSE(save.WritesInProcess()) << "a protected folder is written by the elevated run";

    try {
        save.KeepElsewhere();
        ADD_FAILURE() << "the refused run raised nothing";
    } catch (const EElevationDeclined&) {
        ADD_FAILURE() << "a refusal read as declined";
    } catch (const Exception& error) {
        EXPECT_EQ(std::string(error.what()), ActionErrorText(ERROR_ACCESS_DENIED, SystemMessageText));
    }
    EXPECT_EQ(BaselineText(), std::nullopt);
    EXPECT_EQ(protection.checks, 2) << "checked for the route and before the run";
}

// The question the run asks before it replaces a stored baseline that differs, in its UTF-16 box: another
// process reads each difference through WM_GETTEXT, and only "Yes" answers yes.
TEST_F(ElevatedBaselineKeepTest, TheQuestionListsTheDifferenceReadablyAndOnlyYesKeeps) {
    SystemResolutionReader reader;
    const std::string question =
        DnsBaselineConfirmationText(CompareResolutionSettings(PlantedHostsLine(), reader.ReadAll()));
    for (const int button : {IDNO, IDYES}) {
        SCOPED_TRACE(button == IDYES ? "Yes" : "No");
        ConfirmationAnswerer answerer(kDnsBaselineConfirmationCaption, button);
        const bool yes = AskInUnicodeConfirmationBox(question, kDnsBaselineConfirmationCaption);
        EXPECT_EQ(yes, button == IDYES);
        ASSERT_TRUE(answerer.sawWindow());
        EXPECT_NE(answerer.text().find("\nHosts file \"planted.example\": was 127.0.0.77, now none\n"),
                  std::string::npos)
            << answerer.text();
        EXPECT_NE(answerer.text().find("If you did not ask for it just now, choose No."), std::string::npos);
    }
}

// Under Wine every folder belongs to the user: the real check refuses, nothing starts, and "Keep" is saved
// in-process instead.
TEST_F(ElevatedBaselineKeepTest, UnprotectedProgramStartsNoRunAndSavesInProcess) {
    SystemProgramProtection systemProtection(WideFromAnsi(program_));
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, systemProtection, launcher, SystemMessageText);
    ElevatingDnsBaselineSave save(elevated);
    EXPECT_TRUE(save.WritesInProcess()) << "a folder the user can write is written in-process";

    EXPECT_THROW(elevated.Run({PrivilegedActionKind::kKeepDnsBaseline, {}, {}}), EProgramUnprotected);
    EXPECT_EQ(BaselineText(), std::nullopt) << "no elevated run wrote the baseline";
}

}  // namespace
}  // namespace quillcrest
