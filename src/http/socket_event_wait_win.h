#pragma once

#include <windows.h>

#include <chrono>

namespace quillcrest {

// Waits until a socket's event is signalled or maxWait has passed (true when signalled), without polling:
// MsgWaitForMultipleObjects sleeps on the event and the thread's message queue together, and every window
// message that arrives meanwhile is dispatched, so windows repaint and timers tick during a page fetch.
// A quit request is held back for the rest of the wait and posted again when the wait ends, so the program's
// own message loop still sees it.
bool WaitForSocketEvent(HANDLE event, std::chrono::milliseconds maxWait);

}  // namespace quillcrest
