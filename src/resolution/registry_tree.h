#pragma once

#include <string>
#include <vector>

#include "resolution/resolution_settings.h"

namespace quillcrest {

// What one key of HKEY_LOCAL_MACHINE holds, as far as it was asked for.
struct RegistryKeyContents {
    // Absent: no such key. Unreadable: the key exists but could not be opened or listed, or one of the values
    // asked for could not be read; then nothing else is set.
    ReadState state = ReadState::Absent;
    std::vector<std::string> subkeys;
    std::vector<RegistryValue> values;
};

struct RegistryKeyQuery {
    bool subkeys = false;
    // Every value of the key, or only those named (those that exist).
    bool allValues = false;
    std::vector<std::string> valueNames;
};

// Reads keys of HKEY_LOCAL_MACHINE through the wide registry functions. Names are WTF-8 (unicode_text.h). A
// value longer than kLongestRegistryValue is kept by type and size only. Never throws for a registry failure.
class RegistryTree {
  public:
    virtual ~RegistryTree() = default;
    virtual RegistryKeyContents ReadKey(const std::string& path, const RegistryKeyQuery& query) = 0;
};

}  // namespace quillcrest
