#include <windows.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "widgets/window_win.h"

namespace quillcrest {
namespace {

constexpr UINT kThrowMessage = WM_APP + 1;
constexpr UINT kAnswerMessage = WM_APP + 2;

class ThrowingWindow : public Window {
  public:
    ThrowingWindow() { Create("QuillcrestThrowingWindow", "", WS_POPUP, 0, 0, 0, 10, 10, nullptr); }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kThrowMessage)
            throw std::runtime_error("Handler failed");
        if (message == kAnswerMessage)
            return 42;
        return DefaultHandling(message, wParam, lParam);
    }
};

class WindowBoundaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExceptionReporter([this](const std::exception& error) { reported.push_back(error.what()); });
    }
    void TearDown() override { SetExceptionReporter(nullptr); }
    std::vector<std::string> reported;
};

TEST_F(WindowBoundaryTest, AnExceptionInAHandlerIsReportedAndStopsAtTheWindowProcedure) {
    ThrowingWindow window;
    ASSERT_NE(window.hwnd(), nullptr);
    EXPECT_EQ(::SendMessageA(window.hwnd(), kThrowMessage, 0, 0), 0);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "Handler failed");
    // The window goes on working after the failure.
    EXPECT_EQ(::SendMessageA(window.hwnd(), kAnswerMessage, 0, 0), 42);
}

TEST_F(WindowBoundaryTest, RunHandlerReportsEveryKindOfFailure) {
    RunHandler([] { throw std::runtime_error("Timer tick failed"); });
    RunHandler([] { throw 5; });
    RunHandler([] {});
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0], "Timer tick failed");
    EXPECT_EQ(reported[1], "Unknown error");
}

TEST_F(WindowBoundaryTest, DestroyingTheObjectDestroysItsWindow) {
    HWND hwnd = nullptr;
    {
        ThrowingWindow window;
        hwnd = window.hwnd();
        ASSERT_TRUE(::IsWindow(hwnd));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

}  // namespace
}  // namespace quillcrest
