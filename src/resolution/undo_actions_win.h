#pragma once

#include "resolution/hosts_file_access_win.h"
#include "resolution/registry_tree_win.h"
#include "resolution/undo_actions.h"

namespace quillcrest {

// UndoActions on the running Windows: IPv6 servers through SetInterfaceDnsSettings (interface_dns_settings_win.h),
// keys and values of HKEY_LOCAL_MACHINE through the wide registry functions in the 64-bit view
// (KEY_WOW64_64KEY), the hosts file with the safe replacement that keeps its security
// (secure_file_replacement_win.h). One object serves one thread.
class Win32UndoActions final : public UndoActions {
  public:
    UndoItemOutcome SetAdapterIpv6Servers(const std::string& adapterId,
                                          const std::vector<std::string>& servers) override;
    UndoItemOutcome SetRegistryValue(const std::string& keyPath, const RegistryValue& value) override;
    UndoItemOutcome DeleteRegistryValue(const std::string& keyPath, const std::string& valueName) override;
    UndoItemOutcome DeleteRegistryKey(const std::string& keyPath) override;
    std::optional<std::string> HostsFilePathNow() override;
    UndoItemOutcome ReplaceHostsFile(const std::string& path, const std::string& bytes) override;
    UndoItemOutcome DeleteHostsFile(const std::string& path) override;

  private:
    Win32RegistryTree registry_;
    Win32HostsFileAccess files_;
};

}  // namespace quillcrest
