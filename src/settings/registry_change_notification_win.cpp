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

RegistryChangeNotification::RegistryChangeNotification(std::vector<WatchedRegistryKey> keys, std::function<bool()> post)
    : keys_(std::move(keys)), signal_(std::move(post)) {}

RegistryChangeNotification::~RegistryChangeNotification() {
    Stop();
}

bool RegistryChangeNotification::Arm(const WatchedKey& watched) {
    return ::RegNotifyChangeKeyValue(watched.key.get(), TRUE, kChangesWatched, watched.changed.get(), TRUE) ==
           ERROR_SUCCESS;
}

bool RegistryChangeNotification::Rearm(WatchedKey& watched) const {
    if (Arm(watched))
        return true;
    // The key is gone (a deleted key's handle cannot be armed, and would never fire again). Whatever of its list
    // exists now is watched instead: its parent sees the key made again and every write beneath it.
    watched.key = OpenFirst(keys_[watched.choice]);
    return watched.key && Arm(watched);
}

bool RegistryChangeNotification::Start() {
    if (watching())
        return true;
    std::vector<WatchedKey> watched;
    for (std::size_t choice = 0; choice < keys_.size(); ++choice) {
        WatchedKey candidate{choice, OpenFirst(keys_[choice]),
                             UniqueKernelHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr))};
        if (candidate.key && candidate.changed && Arm(candidate))
            watched.push_back(std::move(candidate));
    }
    UniqueKernelHandle stopRequest(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (watched.empty() || !stopRequest)
        return false;
    watched_ = std::move(watched);
    stopRequest_ = std::move(stopRequest);
    // A signal posted before a Stop may have gone with its receiver; a new run starts with none waiting.
    signal_.Take();
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
        // A key that can be neither re-armed nor opened again falls silent; the others go on.
        Rearm(watched_[woken - WAIT_OBJECT_0 - 1]);
        signal_.Raise();
    }
}

}  // namespace quillcrest
