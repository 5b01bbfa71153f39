#include "watch/interface_records.h"

#include "settings/registry_values.h"
#include "settings/typed_value.h"

namespace quillcrest {
namespace {

// The prefixes end in the separator; without an identifier the path names the prefix key itself rather than
// an unnamed subkey, which the registry functions would read and write inconsistently.
std::string KeyPath(const std::string& prefix, const std::string& interfaceId) {
    if (interfaceId.empty())
        return prefix.substr(0, prefix.size() - 1);
    return prefix + interfaceId;
}

}  // namespace

std::string InterfaceRecords::UserKeyPath(const std::string& interfaceId) {
    return KeyPath(kUserKeyPrefix, interfaceId);
}

std::string InterfaceRecords::SystemKeyPath(const std::string& interfaceId) {
    return KeyPath(kSystemKeyPrefix, interfaceId);
}

std::string InterfaceRecords::ReadUserText(const std::string& interfaceId, const std::string& valueName) {
    return ReadRegValue(registry_, kHkeyCurrentUser, UserKeyPath(interfaceId), valueName, TypedValue::String(""))
        .asString();
}

void InterfaceRecords::WriteUserText(const std::string& interfaceId,
                                     const std::string& valueName,
                                     const std::string& text) {
    WriteRegValue(registry_, kHkeyCurrentUser, UserKeyPath(interfaceId), valueName, TypedValue::String(text));
}

bool InterfaceRecords::ReadDhcpEnabled(const std::string& interfaceId) {
    return ReadRegValue(registry_, kHkeyCurrentUser, UserKeyPath(interfaceId), kDhcpEnabled, TypedValue::Boolean(true))
        .asBoolean();
}

void InterfaceRecords::WriteDhcpEnabled(const std::string& interfaceId, bool enabled) {
    WriteRegValue(registry_, kHkeyCurrentUser, UserKeyPath(interfaceId), kDhcpEnabled, TypedValue::Boolean(enabled));
}

std::string InterfaceRecords::ReadOrigDns(const std::string& interfaceId) {
    return ReadRegValue(registry_, kHkeyLocalMachine, SystemKeyPath(interfaceId), kOrigDns, TypedValue::String(""))
        .asString();
}

void InterfaceRecords::WriteOrigDns(const std::string& interfaceId, const std::string& text) {
    WriteRegValue(registry_, kHkeyLocalMachine, SystemKeyPath(interfaceId), kOrigDns, TypedValue::String(text));
}

}  // namespace quillcrest
