#include "lookup/udp_event_wait_win.h"

#include <algorithm>

#include "lookup/lookup_transport.h"

namespace quillcrest {
namespace {

DWORD MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<DWORD>(std::clamp<long long>(left, 0, INFINITE - 1));
}

bool IsSignalled(HANDLE event) {
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

}  // namespace

bool WaitDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        // MWMO_INPUTAVAILABLE also wakes for messages that an earlier peek saw but left in the queue.
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &event, MillisecondsLeft(deadline), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return true;
        if (woke == WAIT_TIMEOUT)
            return false;
        if (woke != WAIT_OBJECT_0 + 1)
            throw LookupTransportError("waiting for the lookup reply failed");
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        // A steady stream of messages must not stretch the wait beyond its deadline.
        if (IsSignalled(event))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

}  // namespace quillcrest
