#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/message_dispatching_wait_win.h"
#include "base/win_handles_win.h"

namespace quillcrest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::atomic<int> ticks{0};
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
}

// A posted message that posts itself again as soon as it is dispatched: the queue is never empty.
constexpr UINT kEndlessMessage = WM_APP + 11;
LRESULT CALLBACK RepostingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kEndlessMessage) {
        ::PostMessageA(window, kEndlessMessage, 0, 0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

class BaseMessageDispatchingWaitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        event.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
    }
    // A quit request left behind by a failed case must not end the next one.
    void TearDown() override {
        MSG message;
        while (::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // Signals the event after the pause, from another thread.
    std::thread SignalAfter(std::chrono::milliseconds pause) {
        return std::thread([this, pause] {
            std::this_thread::sleep_for(pause);
            ::SetEvent(event.get());
        });
    }

    UniqueKernelHandle event;
};

TEST_F(BaseMessageDispatchingWaitTest, ASignalledEventEndsTheWaitWithTrue) {
    std::thread signaller = SignalAfter(50ms);
    EXPECT_TRUE(WaitDispatchingMessages(event.get(), 5s, QuitDuringWait::EndTheWait));
    signaller.join();
}

TEST_F(BaseMessageDispatchingWaitTest, TimersTickWhileWaitingAndTheTimeoutEndsTheWait) {
    ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, CountTick);
    ASSERT_NE(timer, 0u);
    const auto started = Clock::now();
    const bool signalled = WaitDispatchingMessages(event.get(), 400ms, QuitDuringWait::EndTheWait);
    const auto waited = Clock::now() - started;
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(signalled);
    EXPECT_GE(waited, 400ms);
    EXPECT_GE(ticks.load(), 5);
}

TEST_F(BaseMessageDispatchingWaitTest, AQuitRequestEndsTheWaitAtOnceAndIsPostedAgain) {
    ::PostQuitMessage(3);
    const auto started = Clock::now();
    EXPECT_FALSE(WaitDispatchingMessages(event.get(), 5s, QuitDuringWait::EndTheWait));
    EXPECT_LT(Clock::now() - started, 1s);
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(BaseMessageDispatchingWaitTest, AHeldQuitRequestLetsTheEventEndTheWaitAndIsPostedAfterwards) {
    std::thread signaller = SignalAfter(200ms);
    ::PostQuitMessage(5);
    EXPECT_TRUE(WaitDispatchingMessages(event.get(), 5s, QuitDuringWait::KeepWaitingForTheEvent));
    signaller.join();
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 5u);
}

TEST_F(BaseMessageDispatchingWaitTest, AHeldQuitRequestStillEndsAtTheTimeout) {
    ::PostQuitMessage(6);
    const auto started = Clock::now();
    EXPECT_FALSE(WaitDispatchingMessages(event.get(), 300ms, QuitDuringWait::KeepWaitingForTheEvent));
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 3s);
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 6u);
}

TEST_F(BaseMessageDispatchingWaitTest, AnEndlessStreamOfMessagesDoesNotStretchTheWait) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RepostingProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuillcrestRepostingWindow";
    ::RegisterClassA(&windowClass);
    UniqueWindow window(::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          windowClass.hInstance, nullptr));
    ASSERT_TRUE(window);
    ASSERT_TRUE(::PostMessageA(window.get(), kEndlessMessage, 0, 0));
    for (const QuitDuringWait onQuit : {QuitDuringWait::EndTheWait, QuitDuringWait::KeepWaitingForTheEvent}) {
        const auto started = Clock::now();
        EXPECT_FALSE(WaitDispatchingMessages(event.get(), 200ms, onQuit));
        EXPECT_LT(Clock::now() - started, 3s);
    }
}

}  // namespace
}  // namespace quillcrest
