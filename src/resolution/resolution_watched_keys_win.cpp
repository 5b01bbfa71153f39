#include "resolution/resolution_watched_keys_win.h"

#include "resolution/registry_stores.h"

namespace quillcrest {

std::vector<WatchedRegistryKey> ResolutionWatchedKeys() {
    std::vector<WatchedRegistryKey> keys;
    for (std::vector<std::string>& paths : ResolutionKeysToWatch())
        keys.push_back(WatchedRegistryKey{HKEY_LOCAL_MACHINE, std::move(paths)});
    return keys;
}

}  // namespace quillcrest
