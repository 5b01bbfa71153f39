#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/application_win.h"
#include "app/gate_messages.h"
#include "app/main_window_ids.h"
#include "app/main_window_win.h"

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
        if (quit)
            EXPECT_EQ(*quit, 0u);
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

}  // namespace
}  // namespace quillcrest
