#include "resolution/undo_actions_win.h"

#include <windows.h>

#include "base/win_handles_win.h"
#include "resolution/interface_dns_settings_win.h"
#include "resolution/resolution_reader.h"
#include "resolution/secure_file_replacement_win.h"
#include "resolution/wide_text_win.h"

namespace quillcrest {
namespace {

bool IsMissing(LONG status) {
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND || status == ERROR_KEY_DELETED;
}

// The outcome of a deletion: what is not there is done.
UndoItemOutcome DeletionOutcome(LONG status) {
    return IsMissing(status) ? UndoItemOutcome{} : UndoOutcomeOfError(static_cast<std::uint32_t>(status));
}

}  // namespace

UndoItemOutcome Win32UndoActions::SetAdapterIpv6Servers(const std::string& adapterId,
                                                        const std::vector<std::string>& servers) {
    return SetInterfaceIpv6DnsServers(FindSetInterfaceDnsSettings(), adapterId, servers);
}

UndoItemOutcome Win32UndoActions::SetRegistryValue(const std::string& keyPath, const RegistryValue& value) {
    const std::optional<std::wstring> path = WideFromWtf8(keyPath);
    const std::optional<std::wstring> name = WideFromWtf8(value.name);
    if (!path || !name || value.data.size() > kLongestRegistryValue)
        return UndoOutcomeOfError(ERROR_INVALID_PARAMETER);
    UniqueKey key;
    LONG status = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status =
            ::RegSetValueExW(key.get(), name->c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                             static_cast<DWORD>(value.data.size()));
    return UndoOutcomeOfError(static_cast<std::uint32_t>(status));
}

UndoItemOutcome Win32UndoActions::DeleteRegistryValue(const std::string& keyPath, const std::string& valueName) {
    const std::optional<std::wstring> path = WideFromWtf8(keyPath);
    const std::optional<std::wstring> name = WideFromWtf8(valueName);
    if (!path || !name)
        return UndoOutcomeOfError(ERROR_INVALID_PARAMETER);
    UniqueKey key;
    LONG status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path->c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, key.put());
    if (status == ERROR_SUCCESS)
        status = ::RegDeleteValueW(key.get(), name->c_str());
    return DeletionOutcome(status);
}

UndoItemOutcome Win32UndoActions::DeleteRegistryKey(const std::string& keyPath) {
    const std::optional<std::wstring> path = WideFromWtf8(keyPath);
    if (!path || path->empty())
        return UndoOutcomeOfError(ERROR_INVALID_PARAMETER);
    UniqueKey key;
    LONG status =
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path->c_str(), 0,
                        DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, key.put());
    // Everything beneath the key first, then the key itself in the same view.
    if (status == ERROR_SUCCESS)
        status = ::RegDeleteTreeW(key.get(), nullptr);
    if (status == ERROR_SUCCESS) {
        key.reset();
        status = ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path->c_str(), KEY_WOW64_64KEY, 0);
    }
    return DeletionOutcome(status);
}

std::optional<std::string> Win32UndoActions::HostsFilePathNow() {
    return quillcrest::HostsFilePathNow(registry_, files_);
}

UndoItemOutcome Win32UndoActions::ReplaceHostsFile(const std::string& path, const std::string& bytes) {
    return ReplaceFileKeepingSecurity(path, bytes);
}

UndoItemOutcome Win32UndoActions::DeleteHostsFile(const std::string& path) {
    return DeleteFileIfPresent(path);
}

}  // namespace quillcrest
