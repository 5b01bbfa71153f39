#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elevation/action_exit_code.h"
#include "elevation/elevating_allowed_list_save.h"
#include "support/elevation_fakes.h"
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
struct RouteCase {
    const char* name;
    bool elevated;
    bool programProtected;
    std::string dnsList;
    Behaviour launch;
    std::uint32_t runExitCode;
    std::vector<std::string> expectedRuns;
    std::string expectedFile;
    std::optional<std::string> expectedError;
    int expectedChecks;
};

const std::vector<RouteCase>& RouteCases() {
    static const std::vector<RouteCase> cases = {
        {"elevated saves in-process without a check",
         true,
         true,
         "10.0.0.1,10.0.0.2",
         Behaviour::kRuns,
         kActionExitDone,
         {},
         "10.0.0.9\r\n10.0.0.1,10.0.0.2\r\n",
         std::nullopt,
         0},
        {"unelevated in a folder the user can write saves in-process",
         false,
         false,
         "10.0.0.1,10.0.0.2",
         Behaviour::kRuns,
         kActionExitDone,
         {},
         "10.0.0.9\r\n10.0.0.1,10.0.0.2\r\n",
         std::nullopt,
         1},
        {"unelevated in a protected folder appends through one elevated run",
         false,
         true,
         "10.0.0.1,10.0.0.2",
         Behaviour::kRuns,
         kActionExitDone,
         {"/allow-dns-list 10.0.0.1,10.0.0.2"},
         kFileBefore,
         std::nullopt,
         2},
        {"the empty list travels as the order alone",
         false,
         true,
         "",
         Behaviour::kRuns,
         kActionExitDone,
         {"/allow-dns-list"},
         kFileBefore,
         std::nullopt,
         2},
        {"declined consent is reported",
         false,
         true,
         "10.0.0.1",
         Behaviour::kDeclined,
         kActionExitDone,
         {"/allow-dns-list 10.0.0.1"},
         kFileBefore,
         std::string(kElevationDeclinedMessage),
         2},
        {"a refused elevated run gives the system's reason",
         false,
         true,
         "10.0.0.1",
         Behaviour::kRuns,
         ActionExitForError(5),
         {"/allow-dns-list 10.0.0.1"},
         kFileBefore,
         std::string("Access is denied."),
         2},
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
