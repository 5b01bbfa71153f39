#include "base/message_dispatching_wait_win.h"

#include <algorithm>
#include <optional>
#include <string>

namespace quillcrest {
namespace {

using Clock = std::chrono::steady_clock;

// Rounded up, so that a wait never times out before its deadline.
DWORD MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, INFINITE - 1));
}

bool IsSignalled(HANDLE event) {
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// Dispatches the thread's pending window messages up to a deadline: a message whose handler posts another would
// otherwise keep the queue from ever running dry. A quit request is taken out of the queue and held: posting it
// again at once would wake the wait again and again; the pump posts it when it goes.
class WindowMessagePump {
  public:
    WindowMessagePump() = default;
    ~WindowMessagePump() {
        if (heldQuit_)
            ::PostQuitMessage(*heldQuit_);
    }
    WindowMessagePump(const WindowMessagePump&) = delete;
    WindowMessagePump& operator=(const WindowMessagePump&) = delete;

    bool QuitHeld() const { return heldQuit_.has_value(); }

    void DispatchPending(Clock::time_point deadline) {
        MSG message;
        while (!heldQuit_ && Clock::now() < deadline && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                heldQuit_ = static_cast<int>(message.wParam);
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }

  private:
    std::optional<int> heldQuit_;
};

}  // namespace

EMessageWaitError::EMessageWaitError(DWORD code)
    : Exception("Waiting for the network failed (error " + std::to_string(code) + ")"), code_(code) {}

WaitEnd WaitEndDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout, QuitDuringWait onQuit) {
    const auto deadline = Clock::now() + timeout;
    WindowMessagePump pump;
    for (;;) {
        // Once the program has been asked to quit, only the event can end the wait early.
        const DWORD wakeMask = pump.QuitHeld() ? 0 : QS_ALLINPUT;
        // MWMO_INPUTAVAILABLE also wakes for messages that an earlier peek saw but left in the queue.
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &event, MillisecondsLeft(deadline), wakeMask, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return WaitEnd::EventSignalled;
        if (woke == WAIT_TIMEOUT)
            return WaitEnd::TimedOut;
        if (woke != WAIT_OBJECT_0 + 1)
            throw EMessageWaitError(::GetLastError());
        pump.DispatchPending(deadline);
        if (pump.QuitHeld() && onQuit == QuitDuringWait::EndTheWait)
            return WaitEnd::QuitRequested;
        if (IsSignalled(event))
            return WaitEnd::EventSignalled;
        if (Clock::now() >= deadline)
            return WaitEnd::TimedOut;
    }
}

bool WaitDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout, QuitDuringWait onQuit) {
    return WaitEndDispatchingMessages(event, timeout, onQuit) == WaitEnd::EventSignalled;
}

}  // namespace quillcrest
