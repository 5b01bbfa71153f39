#pragma once

#include <cstdint>
#include <string>

#include "settings/registry_values.h"

namespace quillcrest {

// The registry operations on the registry of the running Windows; see registry_values.h for the rules.
RegResult WriteRegValue(std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& value);
void ReadRegValue(std::uint32_t root,
                  const std::string& keyPath,
                  const std::string& valueName,
                  TypedValue& result,
                  const TypedValue& defaultValue);
TypedValue ReadRegValue(std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& defaultValue);
RegResult DeleteRegValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName);

}  // namespace quillcrest
