#include "resolution/folder_change_notification_win.h"

#include <optional>
#include <system_error>
#include <utility>

#include "resolution/unicode_text.h"

namespace quillcrest {
namespace {

// Files made, removed or renamed, and writes that change a file's size or time.
constexpr DWORD kChangesWatched =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

FolderChangeNotification::FolderChangeNotification(std::string folder, std::function<void()> onChange)
    : folder_(std::move(folder)), onChange_(std::move(onChange)) {}

FolderChangeNotification::~FolderChangeNotification() {
    Stop();
}

bool FolderChangeNotification::Start() {
    if (watching())
        return true;
    const std::optional<std::u16string> units = Utf16FromWtf8(folder_);
    if (!units || units->empty())
        return false;
    const std::wstring wide(units->begin(), units->end());
    UniqueChangeNotification notification(::FindFirstChangeNotificationW(wide.c_str(), FALSE, kChangesWatched));
    UniqueKernelHandle stopRequest(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!notification || !stopRequest)
        return false;
    notification_ = std::move(notification);
    stopRequest_ = std::move(stopRequest);
    try {
        waiter_ = std::thread([this] { WaitForChanges(); });
    } catch (const std::system_error&) {
        notification_.reset();
        stopRequest_.reset();
        return false;
    }
    return true;
}

void FolderChangeNotification::Stop() {
    if (!watching())
        return;
    ::SetEvent(stopRequest_.get());
    waiter_.join();
    notification_.reset();
    stopRequest_.reset();
}

void FolderChangeNotification::WaitForChanges() {
    const HANDLE events[] = {stopRequest_.get(), notification_.get()};
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        // The stop request, or a wait that cannot go on: either way the timers are left to notice changes.
        if (woken != WAIT_OBJECT_0 + 1)
            return;
        // A notification that cannot be re-armed (the folder was removed) falls silent.
        const bool rearmed = ::FindNextChangeNotification(notification_.get()) != FALSE;
        onChange_();
        if (!rearmed)
            return;
    }
}

}  // namespace quillcrest
