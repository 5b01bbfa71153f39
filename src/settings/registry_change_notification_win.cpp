#include "settings/registry_change_notification_win.h"

#include <system_error>
#include <utility>

namespace quillcrest {
namespace {

// Values written, and subkeys made or removed, anywhere beneath the key.
constexpr DWORD kChangesWatched = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

UniqueKey OpenFirst(const WatchedRegistryKey& choice) {
    UniqueKey key;
    for (const std::string& path : choice.paths) {
        if (::RegOpenKeyExA(choice.root, path.c_str(), 0, KEY_NOTIFY, key.put()) == ERROR_SUCCESS)
            return key;
    }
    return UniqueKey();
}

}  // namespace

RegistryChangeNotification::RegistryChangeNotification(std::vector<WatchedRegistryKey> keys,
                                                       std::function<void()> onChange)
    : keys_(std::move(keys)), onChange_(std::move(onChange)) {}

RegistryChangeNotification::~RegistryChangeNotification() {
    Stop();
}

bool RegistryChangeNotification::Arm(const WatchedKey& watched) {
    return ::RegNotifyChangeKeyValue(watched.key.get(), TRUE, kChangesWatched, watched.changed.get(), TRUE) ==
           ERROR_SUCCESS;
}

bool RegistryChangeNotification::Start() {
    if (watching())
        return true;
    std::vector<WatchedKey> watched;
    for (const WatchedRegistryKey& choice : keys_) {
        WatchedKey candidate{OpenFirst(choice), UniqueKernelHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr))};
        if (candidate.key && candidate.changed && Arm(candidate))
            watched.push_back(std::move(candidate));
    }
    UniqueKernelHandle stopRequest(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (watched.empty() || !stopRequest)
        return false;
    watched_ = std::move(watched);
    stopRequest_ = std::move(stopRequest);
    try {
        waiter_ = std::thread([this] { WaitForChanges(); });
    } catch (const std::system_error&) {
        // Closing the keys ends their notifications.
        watched_.clear();
        stopRequest_.reset();
        return false;
    }
    return true;
}

void RegistryChangeNotification::Stop() {
    if (!watching())
        return;
    ::SetEvent(stopRequest_.get());
    waiter_.join();
    watched_.clear();
    stopRequest_.reset();
}

void RegistryChangeNotification::WaitForChanges() {
    std::vector<HANDLE> events{stopRequest_.get()};
    for (const WatchedKey& watched : watched_)
        events.push_back(watched.changed.get());
    const DWORD count = static_cast<DWORD>(events.size());
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(count, events.data(), FALSE, INFINITE);
        // The stop request, or a wait that cannot go on: either way the timers are left to notice changes.
        if (woken == WAIT_OBJECT_0 || woken >= WAIT_OBJECT_0 + count)
            return;
        // A key that cannot be re-armed falls silent; the others go on.
        Arm(watched_[woken - WAIT_OBJECT_0 - 1]);
        onChange_();
    }
}

}  // namespace quillcrest
