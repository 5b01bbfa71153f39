#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/application_win.h"
#include "app/gate_messages.h"
#include "app/main_window_ids.h"
#include "app/main_window_win.h"
#include "settings/process_facts_win.h"
#include "watch/allowed_list.h"
#include "widgets/window_win.h"

namespace quillcrest {
namespace {

// The quit request the window posted, if any, taken off this thread's queue.
std::optional<WPARAM> PostedQuit() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return message.wParam;
        ::DispatchMessageA(&message);
    }
    return std::nullopt;
}

struct GateCase {
    const char* name;
    bool administrator;
    bool supportedPlatform;
    std::vector<std::string> expectedBoxes;
    bool expectQuit;
};

void PrintTo(const GateCase& row, std::ostream* out) {
    *out << row.name;
}

class MainWindowGateTest : public testing::TestWithParam<GateCase> {};

// A refused gate shows its box and asks the program to end, yet the window's creation goes on to the end: the
// window is there and shown, and the quit request ends the program normally (code 0) once the loop takes it.
TEST_P(MainWindowGateTest, RefusalShowsItsBoxAndEndsNormallyAfterCreation) {
    const GateCase& row = GetParam();
    SCOPED_TRACE(row.name);
    std::vector<std::string> boxes;
    GateChecks gates{[&] { return row.administrator; }, [&] { return row.supportedPlatform; },
                     [&](const char* text) { boxes.push_back(text); }};
    Application application("QuillcrestGateTest");
    {
        MainWindow window(application, gates);
        ASSERT_NE(window.hwnd(), nullptr);
        EXPECT_TRUE(::IsWindowVisible(window.hwnd()));
        // Creation went on past the checks: the watch's start ran and the window's focus landed on the panel.
        HWND panel = ::GetDlgItem(window.hwnd(), main_window_ids::kBottomPanel);
        EXPECT_EQ(::GetFocus(), panel);
        EXPECT_EQ(boxes, row.expectedBoxes);
        const std::optional<WPARAM> quit = PostedQuit();
        EXPECT_EQ(quit.has_value(), row.expectQuit);
        if (quit) {
            EXPECT_EQ(*quit, 0u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    MainWindowGateTest,
    testing::ValuesIn(std::vector<GateCase>{
        {"both_gates_pass", true, true, {}, false},
        {"not_an_administrator", false, true, {kAdministratorMessage}, true},
        {"unsupported_platform", true, false, {kPlatformMessage}, true},
        {"neither", false, false, {kAdministratorMessage, kPlatformMessage}, true},
    }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GateMessagesTest, AdministratorMessageIsTheSystemsText) {
    EXPECT_STREQ(kAdministratorMessage,
                 "You must run this program with Administrator permissions.\r\n\r\n"
                 "Please log in under an administrator account.\r\n\r\n"
                 "In Windows Vista, right click on the program icon and select \"Run as administrator\".");
}

// A folder where the allowed list should be: reading the list fails, and the watch runs on and reports it.
class UnreadableAllowedList {
  public:
    UnreadableAllowedList() : path_(GetExeDirUtf8() + AllowedList::kFileName) {
        created_ = ::CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
    }
    ~UnreadableAllowedList() {
        if (created_)
            ::RemoveDirectoryA(path_.c_str());
    }
    bool created() const { return created_; }

  private:
    std::string path_;
    bool created_ = false;
};

int g_boxesShown = 0;

void CALLBACK CloseMessageBoxes(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = ::FindWindowA("#32770", nullptr);
    if (box && ::IsWindowVisible(box)) {
        ++g_boxesShown;
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
}

// The watch's own failures go through the program's one reporter, which knows how many reports are up (the
// message window stacks none of its own on them); they show no box of their own.
TEST(MainWindowErrorReportTest, WatchFailuresGoThroughTheOneReporter) {
    const UnreadableAllowedList unreadable;
    ASSERT_TRUE(unreadable.created());
    std::vector<std::string> reports;
    SetExceptionReporter([&](const std::exception& error) { reports.push_back(error.what()); });
    g_boxesShown = 0;
    const UINT_PTR boxCloser = ::SetTimer(nullptr, 0, 50, &CloseMessageBoxes);
    GateChecks gates{[] { return true; }, [] { return true; }, [](const char*) {}};
    Application application("QuillcrestReportTest");
    {
        MainWindow window(application, gates);
        PostedQuit();
    }
    ::KillTimer(nullptr, boxCloser);
    SetExceptionReporter(nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(AllowedList::kFileName), std::string::npos) << reports[0];
    EXPECT_EQ(g_boxesShown, 0);
}

}  // namespace
}  // namespace quillcrest
