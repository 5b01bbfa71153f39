#include "http/socket_event_wait_win.h"

#include <algorithm>
#include <optional>
#include <string>

#include "base/exception.h"

namespace quillcrest {
namespace {

DWORD MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, INFINITE - 1));
}

// Dispatches the thread's pending window messages. A quit request is taken out of the queue and held: posting
// it again at once would wake the wait again and again; the pump posts it when it goes.
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

    void DispatchPending() {
        MSG message;
        while (!heldQuit_ && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
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

bool WaitForSocketEvent(HANDLE event, std::chrono::milliseconds maxWait) {
    const auto deadline = std::chrono::steady_clock::now() + maxWait;
    WindowMessagePump pump;
    for (;;) {
        // Once the program has been asked to quit, only the socket can end the wait.
        const DWORD wakeMask = pump.QuitHeld() ? 0 : QS_ALLINPUT;
        // MWMO_INPUTAVAILABLE also wakes for messages that an earlier peek saw but left in the queue.
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &event, MillisecondsLeft(deadline), wakeMask, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return true;
        if (woke == WAIT_TIMEOUT)
            return false;
        if (woke != WAIT_OBJECT_0 + 1)
            throw Exception("Waiting for the network failed (error " + std::to_string(::GetLastError()) + ")");
        pump.DispatchPending();
    }
}

}  // namespace quillcrest
