#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles_win.h"

namespace quillcrest {

// A registry key to watch with all its subkeys, as a list of paths under root in order of preference: the first
// that opens is watched. A parent named after a path that does not exist yet sees the path's creation and
// every later write beneath it.
struct WatchedRegistryKey {
    HKEY root;
    std::vector<std::string> paths;
};

// Tells of every change of a value or a subkey under some registry keys, as it happens. A thread of its own
// sleeps on the keys' change events (nothing wakes it while nothing changes), re-arms each key's notification as
// it fires and only then calls onChange, so that a write made after the listener has looked is never missed.
// The thread runs from Start to Stop (or the destructor) and never longer.
class RegistryChangeNotification {
  public:
    // onChange runs on the notification's thread, once per signal (a burst of writes may give one or several):
    // it may post a message to a window, never touch one.
    RegistryChangeNotification(std::vector<WatchedRegistryKey> keys, std::function<void()> onChange);
    ~RegistryChangeNotification();

    RegistryChangeNotification(const RegistryChangeNotification&) = delete;
    RegistryChangeNotification& operator=(const RegistryChangeNotification&) = delete;

    // Starts watching every key that opens. False, and no thread, when none of them can be watched; true at once
    // when already watching.
    bool Start();
    // Stops watching and ends the thread; nothing when not watching.
    void Stop();
    bool watching() const { return waiter_.joinable(); }

  private:
    struct WatchedKey {
        UniqueKey key;
        UniqueKernelHandle changed;
    };

    static bool Arm(const WatchedKey& watched);
    void WaitForChanges();

    std::vector<WatchedRegistryKey> keys_;
    std::function<void()> onChange_;
    std::vector<WatchedKey> watched_;
    UniqueKernelHandle stopRequest_;
    std::thread waiter_;
};

}  // namespace quillcrest
