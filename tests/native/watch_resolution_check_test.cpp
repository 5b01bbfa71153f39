#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "resolution/dns_baseline_file.h"
#include "support/resolution_settings_builder.h"
#include "support/row_name.h"
#include "support/watch_test_rig.h"

namespace quillcrest {
namespace {

using fakes::kRigDnsBaselinePath;
using fakes::Machine;
using fakes::WatchRig;
using Step = fakes::FakeFileSystem::Step;

constexpr char kDamagedPath[] = "C:\\Apps\\DNSBaseline.txt.damaged";
constexpr char kCutShortPath[] = "C:\\Apps\\DNSBaseline.txt.new";
constexpr char kHostsFolder[] = "C:\\Windows\\System32\\drivers\\etc";

// The settings the baseline held: one adapter with an IPv6 server, a hosts file.
ResolutionSettings Earlier() {
    return Machine().Adapter("{A}", "Ethernet", {"fd00::53"}).Hosts("127.0.0.1 localhost\r\n").settings;
}

// The same with a name resolution rule that sends every name to another server.
ResolutionSettings Redirected() {
    Machine machine;
    machine.settings = Earlier();
    return machine.Rule(RegistryStore::LocalRules, "{R}", ".", "10.0.0.53").settings;
}

constexpr char kRuleLine[] = "Name resolution rule \".\" (\"local rules\"): was none, now servers 10.0.0.53";

// A rig whose machine has the redirected settings now, and whose baseline file holds the earlier ones.
class ResolutionRig : public WatchRig {
  public:
    explicit ResolutionRig(bool monitorOn = true) {
        window.monitorOn = monitorOn;
        files.files[kRigDnsBaselinePath] = SerializeDnsBaseline(Earlier());
        resolution.settings = Redirected();
    }
    void Start() { StartOn("10.0.0.1"); }
    std::optional<std::string> BaselineFile() const {
        const auto found = files.files.find(kRigDnsBaselinePath);
        return found == files.files.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
};

// --- the baseline at start ------------------------------------------------------------------------------------

// What lies in the program's folder: no baseline, the earlier settings, a damaged file, the earlier settings in a
// save that a dead process cut short (only its temporary file), or the settings read at start.
enum class Stored { None, Earlier, Damaged, CutShort, ReadAtStart };

// What the start finds in the program's folder and may do there; the machine has the redirected settings.
struct StartCase {
    const char* name;
    Stored stored;
    bool writesInProcess;
    bool unreadable;
    std::vector<Step> failing;
    // After the start.
    Stored fileAfter;
    bool cutShortRemains;
    bool damagedSetAside;
    bool comparesWithEarlier;  // else with the settings read at start
    bool storedAfter;
    std::vector<std::string> toldWords;  // each in the one error shown; empty: nothing shown
};

void PrintTo(const StartCase& row, std::ostream* out) {
    *out << row.name;
}

constexpr char kDamagedText[] = "Quillcrest DNS baseline 1\r\nadapters sideways\r\n";

std::optional<std::string> FileOf(Stored stored) {
    switch (stored) {
        case Stored::Earlier:
            return SerializeDnsBaseline(Earlier());
        case Stored::Damaged:
            return std::string(kDamagedText);
        case Stored::ReadAtStart:
            return SerializeDnsBaseline(Redirected());
        case Stored::None:
        case Stored::CutShort:
            break;
    }
    return std::nullopt;
}

const StartCase kStartCases[] = {
    {"first start where it may write keeps the settings silently",
     Stored::None,
     true,
     false,
     {},
     Stored::ReadAtStart,
     false,
     false,
     false,
     true,
     {}},
    {"first start in a protected folder without rights compares in memory, silently",
     Stored::None,
     false,
     false,
     {},
     Stored::None,
     false,
     false,
     false,
     false,
     {}},
    {"a stored baseline is taken as it is",
     Stored::Earlier,
     true,
     false,
     {},
     Stored::Earlier,
     false,
     false,
     true,
     true,
     {}},
    {"a stored baseline is taken without rights too",
     Stored::Earlier,
     false,
     false,
     {},
     Stored::Earlier,
     false,
     false,
     true,
     true,
     {}},
    {"a save that a dead process cut short is finished first",
     Stored::CutShort,
     true,
     false,
     {},
     Stored::Earlier,
     false,
     false,
     true,
     true,
     {}},
    {"a save cut short that only an administrator may finish is read from its complete new file",
     Stored::CutShort,
     false,
     false,
     {Step::Move},
     Stored::None,
     true,
     false,
     true,
     true,
     {}},
    {"a damaged baseline is set aside, told once and taken again",
     Stored::Damaged,
     true,
     false,
     {},
     Stored::ReadAtStart,
     false,
     true,
     false,
     true,
     {"could not use", "line 2", "DNSBaseline.txt.damaged", "saved the current settings"}},
    {"a damaged baseline without rights stays, is told, and the run compares in memory",
     Stored::Damaged,
     false,
     false,
     {},
     Stored::Damaged,
     false,
     false,
     false,
     false,
     {"could not use", "line 2", "only an administrator", "Run as administrator"}},
    {"an unreadable baseline that cannot be set aside stays and is told",
     Stored::Damaged,
     true,
     true,
     {Step::Move},
     Stored::Damaged,
     false,
     false,
     false,
     false,
     {"could not use", "access denied", "nor set the file aside", "the disk is full"}},
    {"a first baseline that cannot be saved is told and used for this run",
     Stored::None,
     true,
     false,
     {Step::Create},
     Stored::None,
     false,
     false,
     false,
     false,
     {"could not save the current DNS settings", "the disk is full", "settings it read at start"}},
};

class WatchDnsBaselineStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(WatchDnsBaselineStartTest, TakesTheBaselineOnceAndTellsWhatCouldNotBeDone) {
    const StartCase& row = GetParam();
    SCOPED_TRACE(row.name);
    ResolutionRig rig(false);
    rig.files.files.erase(kRigDnsBaselinePath);
    if (row.stored == Stored::CutShort)
        rig.files.files[kCutShortPath] = SerializeDnsBaseline(Earlier());
    else if (const std::optional<std::string> text = FileOf(row.stored))
        rig.files.files[kRigDnsBaselinePath] = *text;
    if (row.unreadable)
        rig.files.unreadable.insert(kRigDnsBaselinePath);
    rig.baselineSaveRoute.inProcess = row.writesInProcess;
    for (const Step step : row.failing)
        rig.files.failingSteps.insert(step);

    rig.Start();

    EXPECT_EQ(rig.BaselineFile(), FileOf(row.fileAfter));
    EXPECT_EQ(rig.files.files.count(kCutShortPath), row.cutShortRemains ? 1u : 0u);
    EXPECT_EQ(rig.files.files.count(kDamagedPath), row.damagedSetAside ? 1u : 0u);
    if (row.damagedSetAside) {
        EXPECT_EQ(rig.files.files[kDamagedPath], kDamagedText);
    }
    EXPECT_EQ(rig.watch.dnsBaseline().settings(), row.comparesWithEarlier ? Earlier() : Redirected());
    EXPECT_EQ(rig.watch.dnsBaseline().stored(), row.storedAfter);
    EXPECT_EQ(rig.baselineSaveRoute.handedOver, 0) << "no consent prompt at start";
    EXPECT_TRUE(rig.resolutionAlert.shown.empty()) << "the start itself raises no alert";
    ASSERT_EQ(rig.dialogs.errors.size(), row.toldWords.empty() ? 0u : 1u);
    for (const std::string& words : row.toldWords)
        EXPECT_NE(rig.dialogs.errors.front().find(words), std::string::npos)
            << words << " in: " << rig.dialogs.errors.front();
}

INSTANTIATE_TEST_SUITE_P(Table, WatchDnsBaselineStartTest, ::testing::ValuesIn(kStartCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// --- when the check runs --------------------------------------------------------------------------------------

enum class Event { RecentTick, DefaultTick, EarlyCheck };

struct WhenCase {
    const char* name;
    bool monitorOn;
    bool recentTimerRunning;
    Event event;
    bool alerts;
};

void PrintTo(const WhenCase& row, std::ostream* out) {
    *out << row.name;
}

const WhenCase kWhenCases[] = {
    {"switch off, 30-second tick", false, true, Event::RecentTick, false},
    {"switch off, 120-second tick", false, false, Event::DefaultTick, false},
    {"switch off, early check", false, false, Event::EarlyCheck, false},
    {"first check at the 120-second tick", true, false, Event::DefaultTick, true},
    {"120-second tick while the 30-second one runs", true, true, Event::DefaultTick, false},
    {"30-second tick", true, true, Event::RecentTick, true},
    {"early check before the first tick", true, false, Event::EarlyCheck, true},
    {"early check after it", true, true, Event::EarlyCheck, true},
};

class WatchResolutionCheckWhenTest : public ::testing::TestWithParam<WhenCase> {};

TEST_P(WatchResolutionCheckWhenTest, ChecksWhereTheListsCheckRunsAndOnlyWhileTheSwitchIsOn) {
    const WhenCase& row = GetParam();
    SCOPED_TRACE(row.name);
    ResolutionRig rig(row.monitorOn);
    rig.Start();
    rig.recentCheckTimer.enabled = row.recentTimerRunning;
    const int readsAtStart = rig.resolution.reads;

    switch (row.event) {
        case Event::RecentTick:
            rig.watch.OnRecentCheckTick();
            break;
        case Event::DefaultTick:
            rig.watch.OnDefaultCheckTick();
            break;
        case Event::EarlyCheck:
            rig.watch.OnDnsSettingsSignalled();
            rig.AdvanceClock(EarlyCheck::kLongestSettle);
            break;
    }

    EXPECT_EQ(rig.resolutionAlert.shown, row.alerts ? std::vector<std::string>{kRuleLine} : std::vector<std::string>{});
    if (!row.monitorOn) {
        EXPECT_EQ(rig.resolution.reads, readsAtStart) << "nothing is read while the switch is off";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WatchResolutionCheckWhenTest, ::testing::ValuesIn(kWhenCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// --- the user's answers ---------------------------------------------------------------------------------------

TEST(WatchResolutionCheckTest, CloseKeepsTheBaselineSoTheAlertComesBackAtTheNextCheck) {
    ResolutionRig rig;
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Close;

    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.resolutionAlert.shown, (std::vector<std::string>{kRuleLine, kRuleLine}));
    EXPECT_EQ(rig.BaselineFile(), SerializeDnsBaseline(Earlier()));
    EXPECT_EQ(rig.watch.dnsBaseline().settings(), Earlier());
    EXPECT_TRUE(rig.dialogs.errors.empty());
}

// "Undo": the route is handed the baseline the check compares with; its report is shown once, or the reason it
// raised; either way the baseline stays, so whatever was not put back raises the alert again at the next check.
struct UndoCase {
    const char* name;
    std::optional<std::string> report;
    std::optional<std::string> failWith;
    std::vector<std::string> reportsShown;
    std::vector<std::string> errorsShown;
};

void PrintTo(const UndoCase& row, std::ostream* out) {
    *out << row.name;
}

const UndoCase kUndoCases[] = {
    {"Report_of_what_was_put_back",
     "Put back:\nname resolution rule: deleted",
     std::nullopt,
     {"Put back:\nname resolution rule: deleted"},
     {}},
    {"No_to_the_question_shows_nothing", std::nullopt, std::nullopt, {}, {}},
    {"Declined_consent_prompt_is_told",
     std::nullopt,
     "The change was not made, because administrator approval was declined",
     {},
     {"The change was not made, because administrator approval was declined"}},
};

class WatchResolutionUndoTest : public ::testing::TestWithParam<UndoCase> {};

TEST_P(WatchResolutionUndoTest, HandsTheBaselineToTheRouteAndShowsItsOneAnswer) {
    const UndoCase& row = GetParam();
    SCOPED_TRACE(row.name);
    ResolutionRig rig;
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Undo;
    rig.undoRoute.report = row.report;
    rig.undoRoute.failWith = row.failWith;

    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.undoRoute.baselines, std::vector<std::string>{SerializeDnsBaseline(Earlier())});
    EXPECT_EQ(rig.resolutionAlert.undoReports, row.reportsShown);
    EXPECT_EQ(rig.dialogs.errors, row.errorsShown);
    EXPECT_EQ(rig.BaselineFile(), SerializeDnsBaseline(Earlier()));

    rig.resolutionAlert.answer = ResolutionAlertAnswer::Close;
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.resolutionAlert.shown, (std::vector<std::string>{kRuleLine, kRuleLine}));
    EXPECT_EQ(rig.undoRoute.baselines.size(), 1u) << "closing the alert undoes nothing";
}

INSTANTIATE_TEST_SUITE_P(Answers, WatchResolutionUndoTest, ::testing::ValuesIn(kUndoCases), [](const auto& info) {
    return fakes::RowName(info.param.name);
});

// Once "Undo" has put everything back, the next check finds nothing to alert on.
TEST(WatchResolutionCheckTest, UndoThatPutEverythingBackRaisesNothingAtTheNextCheck) {
    ResolutionRig rig;
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Undo;
    rig.undoRoute.report = "Put back:\nname resolution rule: deleted";
    rig.resolution.settings = Redirected();

    rig.watch.OnRecentCheckTick();
    rig.resolution.settings = Earlier();
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.resolutionAlert.shown.size(), 1u);
    EXPECT_EQ(rig.undoRoute.baselines.size(), 1u);
}

TEST(WatchResolutionCheckTest, KeepWhereTheProcessMayWriteSavesTheSettingsShownAndTheAlertDoesNotReturn) {
    ResolutionRig rig;
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Keep;

    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.resolutionAlert.shown.size(), 1u);
    EXPECT_EQ(rig.BaselineFile(), SerializeDnsBaseline(Redirected()));
    EXPECT_EQ(rig.baselineSaveRoute.handedOver, 0);
    EXPECT_TRUE(rig.watch.dnsBaseline().stored());
}

// The run that keeps the settings elsewhere reads them itself, a moment later: what it stored counts.
TEST(WatchResolutionCheckTest, KeepThroughTheSaveRouteTakesWhatTheOtherProcessStored) {
    ResolutionRig rig;
    rig.baselineSaveRoute.inProcess = false;
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Keep;
    Machine later;
    later.settings = Redirected();
    later.Hosts("127.0.0.1 localhost\r\n127.0.0.9 later.example\r\n");
    rig.baselineSaveRoute.elsewhere = [&] {
        rig.files.files[kRigDnsBaselinePath] = SerializeDnsBaseline(later.settings);
    };

    rig.watch.OnRecentCheckTick();
    rig.resolution.settings = later.settings;
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.baselineSaveRoute.handedOver, 1);
    EXPECT_EQ(rig.resolutionAlert.shown.size(), 1u) << "the stored settings are the baseline now";
    EXPECT_EQ(rig.watch.dnsBaseline().settings(), later.settings);
    EXPECT_TRUE(rig.watch.dnsBaseline().stored());
}

TEST(WatchResolutionCheckTest, KeepThatWasNotSavedIsToldOnceAndCountsForThisRun) {
    ResolutionRig rig;
    rig.baselineSaveRoute.inProcess = false;
    rig.baselineSaveRoute.failWith = "The change was not made, because administrator approval was declined";
    rig.Start();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Keep;

    rig.watch.OnRecentCheckTick();
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.dialogs.errors, std::vector<std::string>{*rig.baselineSaveRoute.failWith});
    EXPECT_EQ(rig.resolutionAlert.shown.size(), 1u);
    EXPECT_EQ(rig.BaselineFile(), SerializeDnsBaseline(Earlier()));
    EXPECT_EQ(rig.watch.dnsBaseline().settings(), Redirected());
    EXPECT_FALSE(rig.watch.dnsBaseline().stored());
}

// An unelevated first start in a protected folder stores nothing: the run compares with what it read at start,
// and a "Keep" goes to the elevated run.
TEST(WatchResolutionCheckTest, WithoutABaselineThatCanBeWrittenTheRunComparesWithTheSettingsReadAtStart) {
    ResolutionRig rig;
    rig.files.files.erase(kRigDnsBaselinePath);
    rig.baselineSaveRoute.inProcess = false;
    rig.resolution.settings = Earlier();
    rig.Start();
    rig.resolution.settings = Redirected();
    rig.resolutionAlert.answer = ResolutionAlertAnswer::Keep;

    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.resolutionAlert.shown, std::vector<std::string>{kRuleLine});
    EXPECT_EQ(rig.baselineSaveRoute.handedOver, 1);
    EXPECT_EQ(rig.BaselineFile(), std::nullopt) << "only the elevated run writes there";
}

// --- one alert at a time --------------------------------------------------------------------------------------

// The DNS server list's alert is up: the wider check finds a difference but waits, and alerts once that alert
// has been answered.
TEST(WatchResolutionCheckTest, WaitsWhileTheServerListsAlertIsUp) {
    ResolutionRig rig;
    rig.resolution.settings = Earlier();
    rig.Start();
    rig.network.currentList = "10.0.0.99";
    std::size_t widerAlertsMeanwhile = 99;
    rig.dialogs.whileAlertOpen = [&] {
        rig.resolution.settings = Redirected();
        rig.watch.OnRecentCheckTick();
        rig.watch.OnDnsSettingsSignalled();
        rig.AdvanceClock(EarlyCheck::kLongestSettle);
        widerAlertsMeanwhile = rig.resolutionAlert.shown.size();
    };

    rig.watch.OnRecentCheckTick();
    rig.dialogs.whileAlertOpen = nullptr;
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(widerAlertsMeanwhile, 0u);
    EXPECT_EQ(rig.resolutionAlert.shown, std::vector<std::string>{kRuleLine});
}

// The wider alert is up: the DNS server list's check waits in turn, and alerts once it has been answered.
TEST(WatchResolutionCheckTest, TheServerListsCheckWaitsWhileTheWiderAlertIsUp) {
    ResolutionRig rig;
    rig.Start();
    int listAlertsMeanwhile = 99;
    rig.resolutionAlert.whileOpen = [&] {
        rig.network.currentList = "10.0.0.99";
        rig.watch.OnRecentCheckTick();
        rig.watch.OnDnsSettingsSignalled();
        rig.AdvanceClock(EarlyCheck::kLongestSettle);
        listAlertsMeanwhile = rig.dialogs.alerts;
        rig.resolutionAlert.whileOpen = nullptr;
    };

    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(listAlertsMeanwhile, 0);
    EXPECT_EQ(rig.dialogs.alerts, 1) << "the same tick goes on to the server list's check";
    EXPECT_EQ(rig.resolutionAlert.shown.size(), 1u);
}

// --- the hosts file's folder ----------------------------------------------------------------------------------

// A place that cannot be read is no difference, so it is told: once at start, not again while the same places stay
// unreadable, and again when they become unreadable anew after a read that could read them.
TEST(WatchResolutionCheckTest, UnreadablePlacesAreToldOnceAndAgainOnlyWhenTheyChange) {
    ResolutionRig rig;
    rig.resolution.settings = Machine().Adapter("{A}", "Ethernet", {"fd00::53"}).HostsUnreadable().settings;
    rig.resolution.settings.hosts.path = "C:\\Windows\\System32\\drivers\\etc\\hosts";
    rig.Start();
    ASSERT_EQ(rig.dialogs.errors.size(), 1u);
    EXPECT_EQ(rig.dialogs.errors[0],
              "Quillcrest could not read these DNS settings, so it cannot tell whether they change: hosts file "
              "C:\\Windows\\System32\\drivers\\etc\\hosts.");

    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.errors.size(), 1u) << "the same place again";
    EXPECT_TRUE(rig.resolutionAlert.shown.empty()) << "an unreadable file is no difference";

    rig.resolution.settings = Earlier();
    rig.watch.OnRecentCheckTick();
    EXPECT_EQ(rig.dialogs.errors.size(), 1u) << "readable again";

    rig.resolution.settings = Machine()
                                  .Adapter("{A}", "Ethernet", {"fd00::53"})
                                  .Hosts("127.0.0.1 localhost\r\n")
                                  .UnreadableStore(RegistryStore::PolicyRules)
                                  .settings;
    rig.watch.OnRecentCheckTick();
    ASSERT_EQ(rig.dialogs.errors.size(), 2u) << "unreadable anew";
    EXPECT_NE(rig.dialogs.errors[1].find("DnsPolicyConfig"), std::string::npos) << rig.dialogs.errors[1];
}

TEST(WatchResolutionCheckTest, HostsFolderIsWatchedWhileTheSwitchIsOnAndFollowedToAnotherFolder) {
    ResolutionRig rig;
    rig.resolution.settings = Earlier();
    rig.Start();
    rig.window.monitorOn = false;
    rig.watch.OnMonitorBoxReleased();
    rig.window.monitorOn = true;
    rig.watch.OnMonitorBoxReleased();
    rig.resolution.settings.hosts.path = "D:\\Hosts\\hosts";
    rig.watch.OnRecentCheckTick();

    EXPECT_EQ(rig.hostsFolderWatch.log,
              (std::vector<std::string>{"watch " + std::string(kHostsFolder), "stop",
                                        "watch " + std::string(kHostsFolder), "watch D:\\Hosts"}));
}

// --- the alert's lines ----------------------------------------------------------------------------------------

TEST(WatchResolutionAlertLinesTest, ListsEachDifferenceOnALineWithACapitalAndCountsTheRestBeyondTheMost) {
    Machine many;
    many.settings = Earlier();
    for (std::size_t i = 0; i < kMostDifferencesInAlert + 2; ++i)
        many.Rule(RegistryStore::LocalRules, "{R" + std::to_string(100 + i) + "}", "corp" + std::to_string(i),
                  "10.0.0.53");

    const std::vector<std::string> lines =
        DifferenceLines(CompareResolutionSettings(Earlier(), many.settings), kMostDifferencesInAlert);

    ASSERT_EQ(lines.size(), kMostDifferencesInAlert + 1);
    EXPECT_EQ(lines.front(), "Name resolution rule \"corp0\" (\"local rules\"): was none, now servers 10.0.0.53");
    EXPECT_EQ(lines.back(), "... and 2 more changes");
    EXPECT_EQ(JoinedLines({"a", "b"}), "a\nb");
}

// A rule whose namespace holds a line break cannot make a line of its own in the alert.
TEST(WatchResolutionAlertLinesTest, ALineBreakInANameStaysOnItsLine) {
    Machine tricked;
    tricked.settings = Earlier();
    tricked.Rule(RegistryStore::LocalRules, "{R}", "corp\r\nHosts file: no change", "10.0.0.53");

    const std::vector<std::string> lines =
        DifferenceLines(CompareResolutionSettings(Earlier(), tricked.settings), kMostDifferencesInAlert);

    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(
        lines.front(),
        "Name resolution rule \"corp  Hosts file: no change\" (\"local rules\"): was none, now servers 10.0.0.53");
}

}  // namespace
}  // namespace quillcrest
