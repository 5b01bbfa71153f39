// "Keep" in a protected installation, through the real program's elevated run: that run reads the DNS settings
// itself and keeps them beside its executable, asking first in its own window when a stored baseline differs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/dns_baseline_confirmation.h"
#include "app/elevating_dns_baseline_save.h"
#include "app/program_protection_win.h"
#include "app/runas_launcher_win.h"
#include "base/ansi_text_win.h"
#include "base/system_message_win.h"
#include "resolution/dns_baseline_file.h"
#include "resolution/resolution_comparison.h"
#include "resolution/system_resolution_reader_win.h"
#include "settings/process_facts_win.h"
#include "support/app_elevated_run_win.h"
#include "support/app_fake_elevation.h"
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

TEST_F(ElevatedBaselineKeepTest, WithoutAStoredBaselineTheRunKeepsTheSettingsItReadsWithoutAQuestion) {
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    ElevatingDnsBaselineSave save(elevated);
    ASSERT_FALSE(save.WritesInProcess()) << "a protected folder is written by the elevated run";

    ConfirmationAnswerer answerer(kDnsBaselineConfirmationCaption, IDNO);
    save.KeepElsewhere();

    const DnsBaselineReading kept = ParseDnsBaseline(BaselineText());
    ASSERT_EQ(kept.status, DnsBaselineStatus::Read) << DescribeDnsBaselineReading(kept);
    SystemResolutionReader reader;
    EXPECT_TRUE(CompareResolutionSettings(kept.settings, reader.ReadAll()).empty());
    EXPECT_FALSE(answerer.sawWindow()) << "nothing stored, nothing to ask";
    EXPECT_EQ(protection.checks, 2) << "checked for the route and before the run";
}

// What a program of the user would have blessed: a stored baseline that differs from the settings now. The run
// shows the difference in its own window; "No" keeps nothing and reads as declined, "Yes" keeps the settings.
TEST_F(ElevatedBaselineKeepTest, AStoredBaselineThatDiffersIsShownAndKeptOnlyOnYes) {
    SystemResolutionReader reader;
    ResolutionSettings stored = reader.ReadAll();
    ASSERT_FALSE(stored.hosts.path.empty()) << "Wine names its hosts file";
    stored.hosts.state = HostsFileState::Read;
    stored.hosts.content = HostsContentFromBytes("127.0.0.1 localhost\r\n127.0.0.77 planted.example\r\n");
    StoreBaseline(stored);
    const std::optional<std::string> before = BaselineText();
    RunasLauncher launcher([this] { return owner.hwnd(); }, program_);
    ElevatedActions elevated(limited, protection, launcher, SystemMessageText);
    ElevatingDnsBaselineSave save(elevated);

    {
        ConfirmationAnswerer answerer(kDnsBaselineConfirmationCaption, IDNO);
        EXPECT_THROW(save.KeepElsewhere(), EElevationDeclined);
        ASSERT_TRUE(answerer.sawWindow());
        EXPECT_NE(answerer.text().find("\nHosts file \"planted.example\": was 127.0.0.77, now none\n"),
                  std::string::npos)
            << answerer.text();
        EXPECT_NE(answerer.text().find("If you did not ask for it just now, choose No."), std::string::npos);
    }
    EXPECT_EQ(BaselineText(), before) << "No keeps nothing";

    {
        ConfirmationAnswerer answerer(kDnsBaselineConfirmationCaption, IDYES);
        save.KeepElsewhere();
        EXPECT_TRUE(answerer.sawWindow());
    }
    const DnsBaselineReading kept = ParseDnsBaseline(BaselineText());
    ASSERT_EQ(kept.status, DnsBaselineStatus::Read) << DescribeDnsBaselineReading(kept);
    EXPECT_TRUE(CompareResolutionSettings(kept.settings, reader.ReadAll()).empty());
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
