#include "settings/registry_values_win.h"

#include "settings/registry_api_win.h"

namespace quillcrest {

RegResult WriteRegValue(std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& value) {
    Win32RegistryApi api;
    return WriteRegValue(api, root, keyPath, valueName, value);
}

void ReadRegValue(std::uint32_t root,
                  const std::string& keyPath,
                  const std::string& valueName,
                  TypedValue& result,
                  const TypedValue& defaultValue) {
    Win32RegistryApi api;
    ReadRegValue(api, root, keyPath, valueName, result, defaultValue);
}

TypedValue ReadRegValue(std::uint32_t root,
                        const std::string& keyPath,
                        const std::string& valueName,
                        const TypedValue& defaultValue) {
    Win32RegistryApi api;
    return ReadRegValue(api, root, keyPath, valueName, defaultValue);
}

RegResult DeleteRegValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName) {
    Win32RegistryApi api;
    return DeleteRegValue(api, root, keyPath, valueName);
}

}  // namespace quillcrest
