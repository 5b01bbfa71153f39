#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "base/win_handles_win.h"

namespace quillcrest {

// Tells of every file created, removed, renamed, written or resized in one folder (not its subfolders), as it
// happens: for the hosts file's folder, whose file may be rewritten within the file system's time granularity
// (same size, same time). A thread of its own sleeps on the folder's change notification (nothing wakes it
// while nothing changes), re-arms the notification as it fires and only then calls onChange, so a write made
// after the listener has looked is never missed. The thread runs from Start to Stop (or the destructor) and
// never longer. The owner starts it while the monitor switch is on and stops it when the switch goes off; when
// the hosts file's folder changes ("DataBasePath"), it makes a new one for the new folder.
class FolderChangeNotification {
  public:
    // folder is WTF-8. onChange runs on the notification's thread, once per signal (a burst of writes may give
    // one or several): it may post a message to a window or call ResolutionReader::NoteHostsFolderChanged, never
    // touch a window.
    FolderChangeNotification(std::string folder, std::function<void()> onChange);
    ~FolderChangeNotification();

    FolderChangeNotification(const FolderChangeNotification&) = delete;
    FolderChangeNotification& operator=(const FolderChangeNotification&) = delete;

    // Starts watching. False, and no thread, when the folder cannot be watched (it does not exist); true at once
    // when already watching.
    bool Start();
    // Stops watching and ends the thread; nothing when not watching.
    void Stop();
    // From Start to Stop. A folder removed while it is watched gives one last signal and falls silent; this
    // stays true until Stop.
    bool watching() const { return waiter_.joinable(); }

  private:
    // FindFirstChangeNotification answers INVALID_HANDLE_VALUE, not null, when it fails.
    struct NotificationTraits {
        using Type = HANDLE;
        static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
        static void Close(HANDLE handle) { ::FindCloseChangeNotification(handle); }
    };
    using UniqueChangeNotification = UniqueResource<NotificationTraits>;

    void WaitForChanges();

    std::string folder_;
    std::function<void()> onChange_;
    UniqueChangeNotification notification_;
    UniqueKernelHandle stopRequest_;
    std::thread waiter_;
};

}  // namespace quillcrest
