#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "widgets/modal_window_stack.h"

namespace quillcrest {
namespace {

struct StackStep {
    bool enter;
    ModalWindowStack::WindowId window;
};

struct StackCase {
    const char* name;
    std::vector<StackStep> steps;
    std::optional<ModalWindowStack::WindowId> innermost;
};

constexpr ModalWindowStack::WindowId kAlert = 0x10;
constexpr ModalWindowStack::WindowId kConfirmBox = 0x20;
constexpr ModalWindowStack::WindowId kLookup = 0x30;
constexpr ModalWindowStack::WindowId kOkDialog = 0x40;

StackStep In(ModalWindowStack::WindowId window) {
    return {true, window};
}
StackStep Out(ModalWindowStack::WindowId window) {
    return {false, window};
}

class ModalWindowStackTest : public testing::TestWithParam<StackCase> {};

TEST_P(ModalWindowStackTest, InnermostIsTheWindowToAnswerFirst) {
    const StackCase& row = GetParam();
    SCOPED_TRACE(row.name);
    ModalWindowStack stack;
    for (const StackStep& step : row.steps) {
        if (step.enter)
            stack.Enter(step.window);
        else
            stack.Leave(step.window);
    }
    EXPECT_EQ(stack.Innermost(), row.innermost);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    ModalWindowStackTest,
    testing::ValuesIn(std::vector<StackCase>{
        {"nothing_up", {}, std::nullopt},
        {"alert_up", {In(kAlert)}, kAlert},
        {"alert_answered_then_confirm", {In(kAlert), Out(kAlert), In(kConfirmBox)}, kConfirmBox},
        {"all_answered", {In(kAlert), Out(kAlert), In(kConfirmBox), Out(kConfirmBox)}, std::nullopt},
        {"dialog_over_the_lookup_window", {In(kLookup), In(kOkDialog)}, kOkDialog},
        {"dialog_answered_lookup_still_up", {In(kLookup), In(kOkDialog), Out(kOkDialog)}, kLookup},
        // A quit request unwinds the loops; the outer one may be left first.
        {"outer_left_first", {In(kLookup), In(kOkDialog), Out(kLookup)}, kOkDialog},
        {"leaving_a_window_never_entered", {In(kAlert), Out(kLookup)}, kAlert},
        // A window asked for again while up enters twice; its inner request leaves first.
        {"same_window_twice", {In(kAlert), In(kConfirmBox), In(kAlert), Out(kAlert)}, kConfirmBox},
        // Leaving takes the latest entry only: the window's outer entry stays.
        {"same_window_twice_left_inner_first",
         {In(kAlert), In(kConfirmBox), In(kAlert), Out(kAlert), Out(kConfirmBox)},
         kAlert},
    }),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillcrest
