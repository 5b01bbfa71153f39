#include <windows.h>
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <vector>

#include "widgets/disabled_window_win.h"
#include "widgets/window_win.h"

#include "support/row_name.h"

namespace quillcrest {
namespace {

class PlainWindow : public Window {
  public:
    PlainWindow() { Create("QuillcrestDisabledWindowTest", "", WS_POPUP, 0, 0, 0, 10, 10, nullptr); }
};

struct GuardCase {
    const char* name;
    bool enabledBefore;
    bool throwInside;
};

void PrintTo(const GuardCase& row, std::ostream* out) {
    *out << row.name;
}

class DisabledWindowTest : public testing::TestWithParam<GuardCase> {};

TEST_P(DisabledWindowTest, DisablesWhileHeldAndRestoresTheEarlierState) {
    const GuardCase& row = GetParam();
    SCOPED_TRACE(row.name);
    PlainWindow window;
    ASSERT_NE(window.hwnd(), nullptr);
    ::EnableWindow(window.hwnd(), row.enabledBefore);

    try {
        const DisabledWindow disabled(window.hwnd());
        EXPECT_FALSE(::IsWindowEnabled(window.hwnd()));
        if (row.throwInside)
            throw std::runtime_error("failed while disabled");
    } catch (const std::runtime_error&) {
    }

    EXPECT_EQ(::IsWindowEnabled(window.hwnd()) != FALSE, row.enabledBefore);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         DisabledWindowTest,
                         testing::ValuesIn(std::vector<GuardCase>{
                             {"enabled window comes back enabled", true, false},
                             {"enabled window comes back enabled after an exception", true, true},
                             // An outer guard or a modal box disabled it; it is theirs to enable.
                             {"disabled window stays disabled", false, false},
                         }),
                         fakes::RowName<GuardCase>);

// Nested guards over one window: only the outer one enables it again, when it goes.
TEST(DisabledWindowNestingTest, OnlyTheOuterGuardEnables) {
    PlainWindow window;
    ASSERT_NE(window.hwnd(), nullptr);
    {
        const DisabledWindow outer(window.hwnd());
        { const DisabledWindow inner(window.hwnd()); }
        EXPECT_FALSE(::IsWindowEnabled(window.hwnd()));
    }
    EXPECT_TRUE(::IsWindowEnabled(window.hwnd()));
}

}  // namespace
}  // namespace quillcrest
