#pragma once

#include <vector>

#include "settings/registry_change_notification_win.h"

namespace quillcrest {

// Every registry key under HKEY_LOCAL_MACHINE whose change may change where names go (registry_stores.h), for
// a RegistryChangeNotification: each key with its parents as fallbacks, nearest first, so that a key that does
// not exist yet (most of them, on most machines) is watched through its nearest existing parent and its
// creation is seen. Tcpip\Parameters is watched whole for "DataBasePath", so the writes Windows makes to its
// Interfaces subkeys (leases) signal as well; a signal costs one read of the model.
std::vector<WatchedRegistryKey> ResolutionWatchedKeys();

}  // namespace quillcrest
