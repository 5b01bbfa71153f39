#pragma once

#include <cstdint>
#include <string>

#include "settings/registry_api.h"
#include "settings/typed_value.h"

namespace quillcrest {

// One registry value at a time, opened and closed on every call. The root is one of kHkeyClassesRoot ..
// kHkeyDynData; any other number means kHkeyCurrentUser. One leading "\" of the key path is ignored. None of
// these operations throws. Reads fall back to the caller's default; writers answer the platform's result code
// (kRegSuccess, or why it failed) for the few callers that must not pretend a change was made.

// Stores value in the registry form of its kind, creating every missing key on the path. Kinds without a
// registry form (empty, null, int8, wide string, object, array) and numbers that do not fit write nothing.
// Answers kRegInvalidParameter for a value that has no registry form.
RegResult WriteRegValue(RegistryApi& api,
                        std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& value);

// Sets result to the stored value in the form the default's kind selects, or to the default when the key or
// value is missing, of another type or size, or cannot be opened with full access.
void ReadRegValue(RegistryApi& api,
                  std::uint32_t root,
                  const std::string& keyPath,
                  const std::string& valueName,
                  TypedValue& result,
                  const TypedValue& defaultValue);
TypedValue ReadRegValue(RegistryApi& api,
                        std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& defaultValue);

// Deletes the value, creating the key (empty) if it is missing. An empty value name deletes the key itself with
// all its subkeys; that is refused (kRegInvalidParameter) for an empty key path, which would name the whole root.
// A value that does not exist counts as deleted.
RegResult DeleteRegValue(RegistryApi& api,
                         std::uint32_t root,
                         const std::string& keyPath,
                         const std::string& valueName);

}  // namespace quillcrest
