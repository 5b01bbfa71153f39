#include "settings/registry_change_notification_win.h"

#include <system_error>
#include <utility>

namespace quillcrest {
namespace {

// Values written, and subkeys made or removed, anywhere beneath the key.
constexpr DWORD kChangesWatched = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
// Subkeys made or removed right beneath the key: what the next key of a list shows of the watched one.
constexpr DWORD kSubkeysWatched = REG_NOTIFY_CHANGE_NAME;
// Querying the key tells whether it still exists.
constexpr REGSAM kWatchAccess = KEY_NOTIFY | KEY_QUERY_VALUE;

bool Arm(const UniqueKey& key, BOOL subtree, DWORD changes, HANDLE event) {
    return key && ::RegNotifyChangeKeyValue(key.get(), subtree, changes, event, TRUE) == ERROR_SUCCESS;
}

bool WasDeleted(const UniqueKey& key) {
    return ::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_KEY_DELETED;
}

UniqueKernelHandle NewEvent() {
    return UniqueKernelHandle(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

}  // namespace

RegistryChangeNotification::RegistryChangeNotification(std::vector<WatchedRegistryKey> keys, std::function<bool()> post)
    : keys_(std::move(keys)), signal_(std::move(post)) {}

RegistryChangeNotification::~RegistryChangeNotification() {
    Stop();
}

bool RegistryChangeNotification::OpenAndArm(WatchedKey& watched) const {
    const WatchedRegistryKey& choice = keys_[watched.choice];
    watched.key.reset();
    watched.next.reset();
    std::size_t path = 0;
    for (; path < choice.paths.size() && !watched.key; ++path)
        ::RegOpenKeyExA(choice.root, choice.paths[path].c_str(), 0, kWatchAccess, watched.key.put());
    for (; path < choice.paths.size() && !watched.next; ++path)
        ::RegOpenKeyExA(choice.root, choice.paths[path].c_str(), 0, kWatchAccess, watched.next.put());
    // The next key first: a deletion of the key after that shows there, and one before it makes arming the key
    // fail. Without the next key the key's own notification still works wherever the system fires it on deletion.
    Arm(watched.next, FALSE, kSubkeysWatched, watched.nextChanged.get());
    return Arm(watched.key, TRUE, kChangesWatched, watched.changed.get());
}

bool RegistryChangeNotification::Start() {
    if (watching())
        return true;
    std::vector<WatchedKey> watched;
    for (std::size_t choice = 0; choice < keys_.size(); ++choice) {
        WatchedKey candidate{choice, UniqueKey(), NewEvent(), UniqueKey(), NewEvent()};
        if (candidate.changed && candidate.nextChanged && OpenAndArm(candidate))
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

void RegistryChangeNotification::OnKeyChanged(WatchedKey& watched) const {
    // A deleted key cannot be armed again.
    if (!Arm(watched.key, TRUE, kChangesWatched, watched.changed.get()))
        OpenAndArm(watched);
}

void RegistryChangeNotification::OnNextKeyChanged(WatchedKey& watched) const {
    // Armed again before the key is looked at, so that a deletion after the look is still seen.
    Arm(watched.next, FALSE, kSubkeysWatched, watched.nextChanged.get());
    if (!watched.key || WasDeleted(watched.key))
        OpenAndArm(watched);
}

void RegistryChangeNotification::WaitForChanges() {
    // The stop request, then each key's event, then each next key's event.
    std::vector<HANDLE> events{stopRequest_.get()};
    for (const WatchedKey& watched : watched_)
        events.push_back(watched.changed.get());
    for (const WatchedKey& watched : watched_)
        events.push_back(watched.nextChanged.get());
    const DWORD count = static_cast<DWORD>(events.size());
    const std::size_t keys = watched_.size();
    for (;;) {
        const DWORD woken = ::WaitForMultipleObjects(count, events.data(), FALSE, INFINITE);
        // The stop request, or a wait that cannot go on: either way the timers are left to notice changes.
        if (woken == WAIT_OBJECT_0 || woken >= WAIT_OBJECT_0 + count)
            return;
        const std::size_t index = woken - WAIT_OBJECT_0 - 1;
        // A key that can be neither armed again nor opened again falls silent; the others go on.
        if (index < keys)
            OnKeyChanged(watched_[index]);
        else
            OnNextKeyChanged(watched_[index - keys]);
        signal_.Raise();
    }
}

}  // namespace quillcrest
