#pragma once

#include <optional>
#include <string>
#include <vector>

#include "resolution/resolution_settings.h"
#include "resolution/undo_outcome.h"

namespace quillcrest {

// The changes an undo plan makes, one system step each. Key paths are under HKEY_LOCAL_MACHINE; names and paths
// are WTF-8 (unicode_text.h). Each answers its own outcome and never throws.
class UndoActions {
  public:
    virtual ~UndoActions() = default;

    // Sets the adapter's static IPv6 DNS servers; none puts it back on automatic servers. FunctionMissing where
    // the system cannot do it by program.
    virtual UndoItemOutcome SetAdapterIpv6Servers(const std::string& adapterId,
                                                  const std::vector<std::string>& servers) = 0;
    // Creates the key where it is missing and sets the value exactly (type and bytes).
    virtual UndoItemOutcome SetRegistryValue(const std::string& keyPath, const RegistryValue& value) = 0;
    // Deletes the value; a value or key that is not there is done.
    virtual UndoItemOutcome DeleteRegistryValue(const std::string& keyPath, const std::string& valueName) = 0;
    // Deletes the key with everything beneath it; a key that is not there is done.
    virtual UndoItemOutcome DeleteRegistryKey(const std::string& keyPath) = 0;

    // The hosts file's path that the registry names now; nullopt when it cannot be told.
    virtual std::optional<std::string> HostsFilePathNow() = 0;
    // Makes the file hold exactly bytes in one step, keeping its owner and permissions, or leaves it untouched.
    virtual UndoItemOutcome ReplaceHostsFile(const std::string& path, const std::string& bytes) = 0;
    // Deletes the file; a file that is not there is done.
    virtual UndoItemOutcome DeleteHostsFile(const std::string& path) = 0;
};

}  // namespace quillcrest
