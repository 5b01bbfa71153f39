#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_allowed_list_save.h"
#include "support/elevation_fakes.h"
#include "support/named_fields_row.h"
#include "support/row_name.h"
#include "support/watch_fake_file_system.h"
#include "watch/allowed_list.h"

namespace quillcrest {
namespace {

using fakes::FakeActionLauncher;
using fakes::FakeFileSystem;
using fakes::FakeProcessElevation;
using fakes::FakeProgramProtection;
using Behaviour = FakeActionLauncher::Behaviour;

constexpr char kFolder[] = "C:\\Apps\\";
constexpr char kPath[] = "C:\\Apps\\AllowedDNS.txt";
constexpr char kFileBefore[] = "10.0.0.9\r\n";

// "OK" on the alert for one list, as the program's rights and folder decide where it is saved: the runs asked
// for, the file as this process leaves it, and the error the user is shown.
struct RouteCase : fakes::NamedFieldsRow<RouteCase> {
    explicit RouteCase(const char* rowName) : name(rowName) {}

    const char* name;
    bool elevated = false;
    bool programProtected = true;
    std::string dnsList;
    Behaviour launch = Behaviour::kRuns;
    std::uint32_t runExitCode = kActionExitDone;
    std::vector<std::string> expectedRuns;
    std::string expectedFile;
    std::optional<std::string> expectedError;
    int expectedChecks = 0;

    RouteCase& Elevated(bool yes) { return Set(&RouteCase::elevated, yes); }
    RouteCase& ProgramProtected(bool yes) { return Set(&RouteCase::programProtected, yes); }
    RouteCase& DnsList(std::string list) { return Set(&RouteCase::dnsList, std::move(list)); }
    RouteCase& Launch(Behaviour behaviour) { return Set(&RouteCase::launch, behaviour); }
    RouteCase& RunExitCode(std::uint32_t code) { return Set(&RouteCase::runExitCode, code); }
    RouteCase& ExpectedRuns(std::vector<std::string> runs) { return Set(&RouteCase::expectedRuns, std::move(runs)); }
    RouteCase& ExpectedFile(std::string text) { return Set(&RouteCase::expectedFile, std::move(text)); }
    RouteCase& ExpectedError(std::string text) { return Set(&RouteCase::expectedError, std::move(text)); }
    RouteCase& ExpectedChecks(int count) { return Set(&RouteCase::expectedChecks, count); }
};

const std::vector<RouteCase>& RouteCases() {
    static const std::vector<RouteCase> cases = {
        RouteCase("elevated saves in-process without a check")
            .Elevated(true)
            .DnsList("10.0.0.1,10.0.0.2")
            .ExpectedFile("10.0.0.9\r\n10.0.0.1,10.0.0.2\r\n")
            .ExpectedChecks(0),
        RouteCase("unelevated in a folder the user can write saves in-process")
            .ProgramProtected(false)
            .DnsList("10.0.0.1,10.0.0.2")
            .ExpectedFile("10.0.0.9\r\n10.0.0.1,10.0.0.2\r\n")
            .ExpectedChecks(1),
        RouteCase("unelevated in a protected folder appends through one elevated run")
            .DnsList("10.0.0.1,10.0.0.2")
            .ExpectedRuns({"/allow-dns-list 10.0.0.1,10.0.0.2"})
            .ExpectedFile(kFileBefore)
            .ExpectedChecks(2),
        RouteCase("the empty list travels as the order alone")
            .DnsList("")
            .ExpectedRuns({"/allow-dns-list"})
            .ExpectedFile(kFileBefore)
            .ExpectedChecks(2),
        RouteCase("declined consent is reported")
            .DnsList("10.0.0.1")
            .Launch(Behaviour::kDeclined)
            .ExpectedRuns({"/allow-dns-list 10.0.0.1"})
            .ExpectedFile(kFileBefore)
            .ExpectedError(std::string(kElevationDeclinedMessage))
            .ExpectedChecks(2),
        RouteCase("a refused elevated run gives the system's reason")
            .DnsList("10.0.0.1")
            .RunExitCode(ActionExitForError(5))
            .ExpectedRuns({"/allow-dns-list 10.0.0.1"})
            .ExpectedFile(kFileBefore)
            .ExpectedError(std::string("Access is denied."))
            .ExpectedChecks(2),
    };
    return cases;
}

class AppAllowedListRouteTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(AppAllowedListRouteTest, ListIsAcceptedAndSavedWhereTheProcessMayWrite) {
    const RouteCase& row = GetParam();
    SCOPED_TRACE(row.name);
    FakeProcessElevation elevation;
    elevation.elevated = row.elevated;
    FakeProgramProtection protection;
    if (!row.programProtected)
        protection.MakeUnprotected();
    FakeActionLauncher launcher;
    launcher.behaviour = row.launch;
    launcher.answer = [&row](const std::string&) { return row.runExitCode; };
    ElevatedActions elevated(elevation, protection, launcher, [](std::uint32_t code) {
        return code == 5 ? std::string("Access is denied.") : std::string();
    });
    ElevatingAllowedListSave route(elevated);
    FakeFileSystem files;
    files.files[kPath] = kFileBefore;
    AllowedList list(files, kFolder, EqualIgnoringAsciiCase, &route);
    list.Load();

    std::optional<std::string> error;
    try {
        list.AddDNSToGoodList(row.dnsList);
    } catch (const std::exception& raised) {
        error = raised.what();
    }

    EXPECT_EQ(error, row.expectedError);
    EXPECT_EQ(launcher.runs, row.expectedRuns);
    EXPECT_EQ(files.files.at(kPath), row.expectedFile);
    EXPECT_TRUE(list.Contains(row.dnsList)) << "accepted for this run whatever became of the save";
    EXPECT_EQ(protection.checks, row.expectedChecks);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         AppAllowedListRouteTest,
                         ::testing::ValuesIn(RouteCases()),
                         [](const ::testing::TestParamInfo<RouteCase>& info) {
                             return fakes::RowName(info.param.name);
                         });

}  // namespace
}  // namespace quillcrest
