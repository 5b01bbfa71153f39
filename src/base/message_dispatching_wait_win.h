#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "base/exception.h"

namespace quillcrest {

// Waits until `event` is signalled or `timeout` has passed; true when the event was signalled. Sockets take one
// so that a test can wait in its own way.
using EventWait = std::function<bool(HANDLE event, std::chrono::milliseconds timeout)>;

// What a wait does with a quit request (WM_QUIT) that arrives while it runs. Either way the request is posted
// again when the wait ends, so the message loop that owns it still sees it.
enum class QuitDuringWait {
    // Stop dispatching and go on waiting for the event alone, up to the timeout: an exchange already under way
    // is finished first.
    KeepWaitingForTheEvent,
    // End the wait at once, as if the time had run out.
    EndTheWait,
};

// How a wait ended.
enum class WaitEnd {
    EventSignalled,
    TimedOut,
    // A quit request ended it (QuitDuringWait::EndTheWait only).
    QuitRequested,
};

// MsgWaitForMultipleObjects itself failed; code is GetLastError's.
class EMessageWaitError : public Exception {
  public:
    explicit EMessageWaitError(DWORD code);
    DWORD code() const { return code_; }

  private:
    DWORD code_;
};

// The wait of the user-interface thread: sleeps in MsgWaitForMultipleObjectsEx on the event and the thread's
// message queue together, without polling, and dispatches every window message that arrives meanwhile, so
// windows repaint and timers tick while a socket waits. A steady stream of messages does not stretch the wait
// beyond its timeout. Throws EMessageWaitError when the system cannot wait.
WaitEnd WaitEndDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout, QuitDuringWait onQuit);
// The same, true when the event was signalled.
bool WaitDispatchingMessages(HANDLE event, std::chrono::milliseconds timeout, QuitDuringWait onQuit);

}  // namespace quillcrest
