#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/coalesced_signal.h"
#include "base/win_handles_win.h"

namespace quillcrest {

// A registry key to watch with all its subkeys, as a list of paths under root in order of preference, each an
// ancestor of the one before: the first that opens is watched. A parent named after a path that does not exist
// yet sees the path's creation and every later write beneath it.
struct WatchedRegistryKey {
    HKEY root;
    std::vector<std::string> paths;
};

// Tells of every change of a value or a subkey under some registry keys, as it happens. A thread of its own
// sleeps on the keys' change events (nothing wakes it while nothing changes), re-arms each key's notification as
// it fires and only then signals, so that a write made after the receiver has looked is never missed.
// A watched key may be deleted, and some systems (Wine) never fire a deleted key's own notification: so the next
// key of its list that exists is watched for its subkeys coming and going as well, and a key found deleted is
// replaced by the first path of its list that opens then, as at start, whose notification sees the key made
// again. The thread runs from Start to Stop (or the destructor) and never longer.
class RegistryChangeNotification {
  public:
    // post runs on the notification's thread and hands one signal to the receiver: it may post a message to a
    // window, never touch one, and answers whether the message went out. A burst of writes posts one signal, and
    // no other until the receiver has called SignalTaken.
    RegistryChangeNotification(std::vector<WatchedRegistryKey> keys, std::function<bool()> post);
    ~RegistryChangeNotification();

    RegistryChangeNotification(const RegistryChangeNotification&) = delete;
    RegistryChangeNotification& operator=(const RegistryChangeNotification&) = delete;

    // Starts watching every key that opens. False, and no thread, when none of them can be watched; true at once
    // when already watching.
    bool Start();
    // Stops watching and ends the thread; nothing when not watching.
    void Stop();
    bool watching() const { return waiter_.joinable(); }
    // The receiver, on its own thread, took the posted signal and is about to look at the keys: the next change
    // posts again. Call it before looking, so that a change made meanwhile is not lost.
    void SignalTaken() { signal_.Take(); }

  private:
    struct WatchedKey {
        std::size_t choice;  // index into keys_
        UniqueKey key;       // the first path of the list that opened
        UniqueKernelHandle changed;
        UniqueKey next;  // the next path of the list that opened after it, if any
        UniqueKernelHandle nextChanged;
    };

    // Opens the key and the next key of its list afresh and arms both; false when the key cannot be watched.
    bool OpenAndArm(WatchedKey& watched) const;
    void OnKeyChanged(WatchedKey& watched) const;
    void OnNextKeyChanged(WatchedKey& watched) const;
    void WaitForChanges();

    std::vector<WatchedRegistryKey> keys_;
    CoalescedSignal signal_;
    std::vector<WatchedKey> watched_;
    UniqueKernelHandle stopRequest_;
    std::thread waiter_;
};

}  // namespace quillcrest
