#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace quillcrest {

// Waits until `event` is signalled or `timeout` has passed; true when the event was signalled.
using SocketEventWait = std::function<bool(HANDLE event, std::chrono::milliseconds timeout)>;

// The wait of the user-interface thread: sleeps in MsgWaitForMultipleObjects and dispatches every window message
// that arrives meanwhile, so windows repaint and timers tick during an exchange. A quit request ends the wait
// early (as if the time had run out) and is posted again for the message loop that owns it.
bool WaitDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout);

}  // namespace quillcrest
