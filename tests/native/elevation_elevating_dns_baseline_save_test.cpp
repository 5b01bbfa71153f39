#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_dns_baseline_save.h"
#include "resolution/dns_baseline_file.h"
#include "support/elevation_fakes.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"
#include "support/watch_fake_file_system.h"
#include "watch/dns_baseline.h"
#include "watch/dns_baseline_storage.h"

namespace quillcrest {
namespace {

using fakes::FakeActionLauncher;
using fakes::FakeFileSystem;
using fakes::FakeProcessElevation;
using fakes::Machine;
using Behaviour = FakeActionLauncher::Behaviour;

constexpr char kFolder[] = "C:\\Apps\\";
constexpr char kPath[] = "C:\\Apps\\DNSBaseline.txt";
constexpr char kKeepOrder[] = "/keep-dns-baseline";

ResolutionSettings Earlier() {
    return Machine().Hosts("127.0.0.1 localhost\r\n").settings;
}
// What the alert showed.
ResolutionSettings Shown() {
    return Machine().Hosts("127.0.0.1 localhost\r\n127.0.0.9 bank.example\r\n").settings;
}
// What the elevated run read itself, a moment later.
ResolutionSettings ReadByTheRun() {
    return Machine().Hosts("127.0.0.1 localhost\r\n127.0.0.9 bank.example\r\n127.0.0.10 mail.example\r\n").settings;
}

// The protection verdicts in the order they are asked for; the last one holds from then on.
class ChangingProtection : public ProgramProtection {
  public:
    explicit ChangingProtection(std::vector<bool> verdicts) : verdicts_(std::move(verdicts)) {}
    ProtectionVerdict Check() override {
        const bool isProtected = verdicts_.at(std::min(checks, verdicts_.size() - 1));
        ++checks;
        return isProtected ? ProtectionVerdict{true, ""}
                           : ProtectionVerdict{false, fakes::FakeProgramProtection::kReason};
    }
    std::size_t checks = 0;

  private:
    std::vector<bool> verdicts_;
};

// "Keep" in the alert, as the program's rights and folder decide where the baseline is saved.
struct RouteCase {
    const char* name;
    bool elevated;
    std::vector<bool> protectedVerdicts;
    Behaviour launch;
    bool answerInTheRunsWindow;
    std::vector<std::string> expectedRuns;
    ResolutionSettings expectedFile;
    ResolutionSettings expectedBaseline;
    std::optional<std::string> expectedError;
};

void PrintTo(const RouteCase& row, std::ostream* out) {
    *out << row.name;
}

const std::vector<RouteCase>& RouteCases() {
    static const std::vector<RouteCase> cases = {
        {"elevated saves in-process", true, {true}, Behaviour::kRuns, true, {}, Shown(), Shown(), std::nullopt},
        {"unelevated in a folder the user can write saves in-process",
         false,
         {false},
         Behaviour::kRuns,
         true,
         {},
         Shown(),
         Shown(),
         std::nullopt},
        {"unelevated in a protected folder has one elevated run keep what it reads",
         false,
         {true},
         Behaviour::kRuns,
         true,
         {kKeepOrder},
         ReadByTheRun(),
         ReadByTheRun(),
         std::nullopt},
        {"declined consent is told and keeps the settings for this run only",
         false,
         {true},
         Behaviour::kDeclined,
         true,
         {kKeepOrder},
         Earlier(),
         Shown(),
         std::string(kElevationDeclinedMessage)},
        {"no in the elevated run's window is told like a declined consent",
         false,
         {true},
         Behaviour::kRuns,
         false,
         {kKeepOrder},
         Earlier(),
         Shown(),
         std::string(kElevationDeclinedMessage)},
        {"a folder found unprotected right before the run starts nothing and says why",
         false,
         {true, false},
         Behaviour::kRuns,
         true,
         {},
         Earlier(),
         Shown(),
         UnprotectedProgramMessage(fakes::FakeProgramProtection::kReason)},
    };
    return cases;
}

class AppDnsBaselineRouteTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(AppDnsBaselineRouteTest, KeepSavesWhereTheProcessMayWriteOrThroughOneElevatedRun) {
    const RouteCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeFileSystem files;
    files.files[kPath] = SerializeDnsBaseline(Earlier());
    FakeProcessElevation elevation;
    elevation.elevated = row.elevated;
    ChangingProtection protection(row.protectedVerdicts);
    FakeActionLauncher launcher;
    launcher.behaviour = row.launch;
    // The elevated run as the program carries it out, over the same folder.
    launcher.answer = [&](const std::string&) {
        const bool kept = KeepDnsBaselineIfConfirmed(files, kPath, ReadByTheRun(),
                                                     [&](const auto&) { return row.answerInTheRunsWindow; });
        return kept ? kActionExitDone : ActionExitForDeclinedInWindow();
    };
    ElevatedActions elevated(elevation, protection, launcher, [](std::uint32_t) { return std::string(); });
    ElevatingDnsBaselineSave route(elevated);
    DnsBaseline baseline(files, kFolder, route);
    ASSERT_EQ(baseline.Load(Earlier()), std::nullopt);

    std::optional<std::string> error;
    try {
        baseline.Keep(Shown());
    } catch (const std::exception& raised) {
        error = raised.what();
    }

    EXPECT_EQ(error, row.expectedError);
    EXPECT_EQ(launcher.runs, row.expectedRuns);
    EXPECT_EQ(ParseDnsBaseline(files.files.at(kPath)).settings, row.expectedFile);
    EXPECT_EQ(baseline.settings(), row.expectedBaseline);
    EXPECT_EQ(baseline.stored(), !row.expectedError.has_value());
}

INSTANTIATE_TEST_SUITE_P(Table, AppDnsBaselineRouteTest, ::testing::ValuesIn(RouteCases()), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

}  // namespace
}  // namespace quillcrest
